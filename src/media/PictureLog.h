#pragma once

#include <QLoggingCategory>

// Decoding, metadata and encoding of pictures: every picture that cannot be read or
// written leaves its reason here.
Q_DECLARE_LOGGING_CATEGORY(lcPicture)
