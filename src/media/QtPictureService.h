#pragma once

#include "media/PictureService.h"
#include "show/DecodeHeadStart.h"

namespace vistrel {

// Pictures through Qt's image readers and writers (with the image-format plugins) and
// exiv2 for their metadata. Decoded pictures are QtPicture objects.
class QtPictureService final : public PictureService {
  public:
    QtPictureService();

    // Begins decoding `path` for `neededSize` at once, on a thread of its own; the first
    // decodeFirstImage asking for the same takes the result. For the first picture,
    // before the windows that will show it exist.
    void decodeAhead(const std::string& path, Size neededSize);

    std::vector<std::string> pictureFileTypes() const override;
    DecodedPicture decodeFirstImage(const std::string& path, std::optional<Size> neededSize) override;
    PictureInfo inspect(const std::string& path) override;
    std::optional<PictureDecodedAhead> takeFinishedDecode(const std::string& path, Size neededSize) override;
    std::vector<std::uint8_t> jpegData(const Picture& picture, float compressionFactor,
                                       int orientation) override;
    std::vector<std::uint8_t> tiffData(const Picture& picture) override;
    std::vector<std::uint8_t> pngData(const Picture& picture) override;

  private:
    static DecodedPicture decodeNow(const std::string& path, std::optional<Size> neededSize);

    DecodeHeadStart m_headStart;
};

} // namespace vistrel
