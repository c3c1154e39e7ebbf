#include "media/PictureLog.h"

Q_LOGGING_CATEGORY(lcPicture, "vistrel.media.picture", QtWarningMsg)
