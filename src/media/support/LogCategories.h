#pragma once

#include <QLoggingCategory>

// One logging category per area; each area's failures and caught exceptions go to
// its own. All are quiet by default: nothing prints unless enabled by a rule, such as
// QT_LOGGING_RULES="vistrel.*=true" for everything or "vistrel.*.warning=true" for
// failures only. Levels: warning for a failure of something asked for (a file not
// written, a player that cannot start), info for expected failures (a damaged
// picture, unreadable metadata), debug for the libraries' own chatter.
Q_DECLARE_LOGGING_CATEGORY(lcPicture)  // vistrel.media.picture
Q_DECLARE_LOGGING_CATEGORY(lcIntake)   // vistrel.intake
Q_DECLARE_LOGGING_CATEGORY(lcSettings) // vistrel.settings
Q_DECLARE_LOGGING_CATEGORY(lcPlaylist) // vistrel.playlist
Q_DECLARE_LOGGING_CATEGORY(lcCapture)  // vistrel.capture
Q_DECLARE_LOGGING_CATEGORY(lcWork)     // vistrel.work
Q_DECLARE_LOGGING_CATEGORY(lcWindows)  // vistrel.windows
Q_DECLARE_LOGGING_CATEGORY(lcView)     // vistrel.view
Q_DECLARE_LOGGING_CATEGORY(lcStartup)  // vistrel.startup
Q_DECLARE_LOGGING_CATEGORY(lcDecoder)  // vistrel.media.decoder: the decoder helper process
