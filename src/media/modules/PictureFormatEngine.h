#pragma once

#include "media/pictures/LibraryFormat.h"
#include "media/pictures/LibraryImageReader.h"

#include <QString>
#include <memory>

namespace vistrel {

// What the picture formats module offers the program: the readers of the formats Qt
// does not know. The module carries libheif and libjxl, so they load only once such a
// file is met. An engine holds no state of its own: any thread may use it at any time.
class PictureFormatEngine {
  public:
    virtual ~PictureFormatEngine() = default;

    // A reader of the open file `descriptor`, whose first bytes announced `format` (not
    // none); it takes the descriptor over and reads it with pread. `path` names the file
    // in the log: the module opens nothing itself, so that it also reads in the decoder
    // helper, which may not.
    virtual std::unique_ptr<LibraryImageReader> createReader(LibraryFormat format, const QString& path,
                                                             int descriptor) = 0;
};

// The module's one exported function: a new engine the caller owns.
using CreatePictureFormatEngine = PictureFormatEngine* (*)();
inline constexpr const char* createPictureFormatEngineSymbol = "vistrel_create_picture_format_engine";

} // namespace vistrel
