#pragma once

#include "media/pictures/PictureMetadata.h"

#include <memory>
#include <string>

namespace vistrel {

// What the metadata module offers the program: pictures' metadata through exiv2, which
// loads only once a picture's metadata is first needed. An engine holds no state of
// its own: any thread may use it at any time.
class PictureMetadataEngine {
  public:
    virtual ~PictureMetadataEngine() = default;

    // The metadata of the open file `descriptor` (named `path` in the log), read now;
    // never null. The descriptor stays the caller's: the module opens nothing itself,
    // so that it also reads in the decoder helper, which may not.
    virtual std::unique_ptr<PictureMetadata> readMetadata(const std::string& path, int descriptor) = 0;
};

// The module's one exported function: a new engine the caller owns.
using CreatePictureMetadataEngine = PictureMetadataEngine* (*)();
inline constexpr const char* createPictureMetadataEngineSymbol = "vistrel_create_picture_metadata_engine";

} // namespace vistrel
