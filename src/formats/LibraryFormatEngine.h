#pragma once

#include "media/modules/PictureFormatEngine.h"

namespace vistrel {

// The formats module's engine: HEIF and AVIF through libheif, JPEG XL through libjxl.
class LibraryFormatEngine final : public PictureFormatEngine {
  public:
    std::unique_ptr<LibraryImageReader> createReader(LibraryFormat format, const QString& path,
                                                     int descriptor) override;
};

} // namespace vistrel
