// Compiled with the core's include root alone: the Qt picture adapter is out of reach.
#include "media/pictures/QtPicture.h"
