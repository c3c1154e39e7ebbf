#include "movies/Bgr0Frame.h"

#include <cstdint>
#include <cstring>

namespace vistrel {

QImage Bgr0Frame::copy(const void* pixels, int width, int height, std::size_t stride) {
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const auto* source = static_cast<const std::uint8_t*>(pixels);
    const std::size_t lineBytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), source + static_cast<std::size_t>(y) * stride, lineBytes);
    makeOpaque(image);
    return image;
}

void Bgr0Frame::makeOpaque(QImage& image) {
    constexpr std::uint32_t opaque = 0xff000000u;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] |= opaque;
    }
}

} // namespace vistrel
