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

    // A reader of the open file `descriptor`, whose first bytes announced `format` (not
    // none); it takes the descriptor over and reads it with pread. `path` names the file
    // in the log: the module opens nothing itself, so that it also reads in the decoder
    // helper, which may not.
    virtual std::unique_ptr<LibraryImageReader> createReader(LibraryFormat format, const QString& path,
                                                             int descriptor) = 0;
    // The metadata of the open file `descriptor` (named `path`), read now; never null.
    virtual std::unique_ptr<PictureMetadata> readMetadata(const std::string& path, int descriptor) = 0;
};

// The module's one exported function: a new engine the caller owns.
using CreatePictureFormatEngine = PictureFormatEngine* (*)();
inline constexpr const char* createPictureFormatEngineSymbol = "vistrel_create_picture_format_engine";

} // namespace vistrel
