#pragma once

#include <QLoggingCategory>

// Handing files to the running viewer: refused messages, stalled clients, a socket
// that cannot be served.
Q_DECLARE_LOGGING_CATEGORY(lcInstance)
