#include "formats/LibraryFormatEngine.h"

// The module's entry point, looked up by name once the module is loaded.
extern "C" __attribute__((visibility("default"))) vistrel::PictureFormatEngine*
vistrel_create_picture_format_engine() {
    return new vistrel::LibraryFormatEngine;
}
