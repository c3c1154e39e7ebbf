#pragma once

#include "media/pictures/LibraryFormat.h"
#include "media/pictures/LibraryImageReader.h"
#include "media/pictures/PictureMetadata.h"

#include <QString>
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
    // nullptr when the module is missing.
    static std::unique_ptr<LibraryImageReader> createReader(LibraryFormat format, const QString& path);
    // Empty metadata when the module is missing; never null.
    static std::unique_ptr<PictureMetadata> readMetadata(const std::string& path);
};

} // namespace vistrel
