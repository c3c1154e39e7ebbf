// Compiled with the core's include root alone: Qt's headers are out of reach.
#include <QImage>
