#pragma once

#include "media/pictures/LibraryFormat.h"
#include "media/pictures/LibraryImageReader.h"
#include "media/pictures/PictureMetadata.h"

#include <QString>
#include <memory>
#include <string>

namespace vistrel {

// What the picture formats module offers the program: the readers of the formats Qt
// does not know and the reading of metadata. The module carries libheif, libjxl and
// exiv2, so they load only once such a file or a picture's metadata is needed. An
// engine holds no state of its own: any thread may use it at any time.
class PictureFormatEngine {
  public:
    virtual ~PictureFormatEngine() = default;

    // A reader for the file at `path`, whose first bytes announced `format` (not none).
    virtual std::unique_ptr<LibraryImageReader> createReader(LibraryFormat format, const QString& path) = 0;
    // The metadata of the file at `path`, read now; never null.
    virtual std::unique_ptr<PictureMetadata> readMetadata(const std::string& path) = 0;
};

// The module's one exported function: a new engine the caller owns.
using CreatePictureFormatEngine = PictureFormatEngine* (*)();
inline constexpr const char* createPictureFormatEngineSymbol = "vistrel_create_picture_format_engine";

} // namespace vistrel
