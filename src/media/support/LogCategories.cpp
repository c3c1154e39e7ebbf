#include "media/support/LogCategories.h"

// QtCriticalMsg as the threshold leaves debug, info and warning messages off until a
// rule enables them; critical is kept for faults of the program itself.
Q_LOGGING_CATEGORY(lcPicture, "vistrel.media.picture", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcIntake, "vistrel.intake", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcSettings, "vistrel.settings", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcPlaylist, "vistrel.playlist", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcCapture, "vistrel.capture", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcWork, "vistrel.work", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcWindows, "vistrel.windows", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcView, "vistrel.view", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcStartup, "vistrel.startup", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcDecoder, "vistrel.media.decoder", QtCriticalMsg)
