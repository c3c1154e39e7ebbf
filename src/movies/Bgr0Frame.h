#pragma once

#include <QImage>
#include <cstddef>

namespace vistrel {

// mpv's "bgr0" pixels as QImage::Format_RGB32. The fourth byte of each pixel is
// undefined in mpv's output, while RGB32 requires it to be 0xff; conversions and
// encoders that honour alpha would otherwise see a transparent picture.
class Bgr0Frame {
  public:
    // A deep copy of `width` x `height` pixels, `stride` bytes per line apart.
    static QImage copy(const void* pixels, int width, int height, std::size_t stride);
    // Sets the fourth byte of every pixel of an RGB32 image mpv drew into.
    static void makeOpaque(QImage& image);
};

} // namespace vistrel
