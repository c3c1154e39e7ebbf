#include "movies/MpvLog.h"

#include <QByteArray>
#include <mpv/client.h>

Q_LOGGING_CATEGORY(lcMpv, "vistrel.media.mpv", QtCriticalMsg) // quiet unless enabled, as all

namespace vistrel {

bool MpvLog::succeeded(int error, const char* action, const char* subject) {
    if (error >= 0)
        return true;
    qCWarning(lcMpv).nospace() << action << ' ' << subject << " failed: " << mpv_error_string(error);
    return false;
}

void MpvLog::message(const mpv_event_log_message& message) {
    // Info, not warnings: mpv reports its fallbacks (no sound device here, none there)
    // as errors on every movie it opens, and they are no failure of ours.
    // mpv ends its lines with a newline of its own.
    qCInfo(lcMpv).noquote() << message.level << message.prefix << QByteArray(message.text).trimmed();
}

} // namespace vistrel
