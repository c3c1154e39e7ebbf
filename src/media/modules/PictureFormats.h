#pragma once

#include "media/pictures/LibraryFormat.h"
#include "media/pictures/LibraryImageReader.h"
#include "media/pictures/PictureMetadata.h"

#include <memory>
#include <string>

namespace vistrel {

// The picture formats module (see LoadableModule and PictureFormatEngine), loaded the
// first time a HEIF or JPEG XL file or a picture's metadata is needed;
// $VISTREL_FORMATS_MODULE names another file for it. Without the module those formats
// are unreadable and pictures have no metadata; the failure is logged once in
// "vistrel.media.picture". The first call blocks while the module loads: call off the
// GUI thread. Safe from any thread.
class PictureFormats {
  public:
    // Loads the module now, if it is not loaded yet; false when it is missing.
    static bool loadNow();
    // A reader of the open file `descriptor` (named `path`), which it takes over; nullptr
    // when the module is missing, the descriptor closed.
    static std::unique_ptr<LibraryImageReader> createReader(LibraryFormat format, const std::string& path,
                                                            int descriptor);
    // The metadata of the file `path`, opened through SourceFiles. Empty metadata when the
    // module is missing or the file cannot be opened; never null.
    static std::unique_ptr<PictureMetadata> readMetadata(const std::string& path);
};

} // namespace vistrel
