#pragma once

#include "media/pictures/LibraryFormat.h"
#include "media/pictures/LibraryImageReader.h"
#include "media/pictures/PictureMetadata.h"

#include <memory>
#include <string>

namespace vistrel {

// The two picture modules (see LoadableModule): the formats module with the readers of
// HEIF/AVIF and JPEG XL (PictureFormatEngine), loaded the first time such a file is
// met, and the metadata module with exiv2 (PictureMetadataEngine), loaded the first
// time a picture's metadata is needed. $VISTREL_FORMATS_MODULE and
// $VISTREL_METADATA_MODULE name other files for them. Without the formats module those
// formats are unreadable; without the metadata module pictures have no metadata; each
// failure is logged once in "vistrel.media.picture". The first call that needs a
// module blocks while it loads: call off the GUI thread. Safe from any thread.
class PictureFormats {
  public:
    // Loads the formats module now, if it is not loaded yet; false when it is missing.
    static bool loadReadersNow();
    // Loads the metadata module now, if it is not loaded yet; false when it is missing.
    static bool loadMetadataNow();
    // A reader of the open file `descriptor` (named `path`), which it takes over; nullptr
    // when the module is missing, the descriptor closed.
    static std::unique_ptr<LibraryImageReader> createReader(LibraryFormat format, const std::string& path,
                                                            int descriptor);
    // The metadata of the file `path`, opened through SourceFiles. Empty metadata when the
    // module is missing or the file cannot be opened; never null.
    static std::unique_ptr<PictureMetadata> readMetadata(const std::string& path);
};

} // namespace vistrel
