#pragma once

#include "media/PictureService.h"

namespace vistrel {

// Pictures through Qt's image readers and writers (with the image-format plugins) and
// exiv2 for their metadata. Decoded pictures are QtPicture objects.
class QtPictureService final : public PictureService {
  public:
    QtPictureService();

    std::vector<std::string> pictureFileTypes() const override;
    DecodedPicture decodeFirstImage(const std::string& path, std::optional<Size> neededSize) override;
    PictureInfo inspect(const std::string& path) override;
    std::vector<std::uint8_t> jpegData(const Picture& picture, float compressionFactor,
                                       int orientation) override;
    std::vector<std::uint8_t> tiffData(const Picture& picture) override;
    std::vector<std::uint8_t> pngData(const Picture& picture) override;
};

} // namespace vistrel
