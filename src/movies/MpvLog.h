#pragma once

#include <QLoggingCategory>

struct mpv_event_log_message;

Q_DECLARE_LOGGING_CATEGORY(lcMpv)

namespace vistrel {

// The one place where libmpv's failures and its own messages reach the log category
// "vistrel.media.mpv". Failed calls are warnings; mpv's own messages (warnings and
// worse) are info, shown once the category's info output is enabled.
class MpvLog {
  public:
    // True when `error`, an mpv return code, tells of success; otherwise logs the
    // action and what it acted on ("set", "speed") with mpv's text for the error.
    static bool succeeded(int error, const char* action, const char* subject = "");
    static void message(const mpv_event_log_message& message);
};

} // namespace vistrel
