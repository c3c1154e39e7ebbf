#pragma once

#include "media/modules/PictureFormatEngine.h"

namespace vistrel {

// The formats module's engine: HEIF and AVIF through libheif, JPEG XL through libjxl,
// metadata through exiv2.
class LibraryFormatEngine final : public PictureFormatEngine {
  public:
    std::unique_ptr<LibraryImageReader> createReader(LibraryFormat format, const QString& path,
                                                     int descriptor) override;
    std::unique_ptr<PictureMetadata> readMetadata(const std::string& path, int descriptor) override;
};

} // namespace vistrel
