// Compiled with the core's include root alone: a core header is found.
#include "core/media/Picture.h"
