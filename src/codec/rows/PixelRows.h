#pragma once

#include <cstddef>
#include <cstdint>

namespace vistrel {

// Small steps the streaming decoders take on rows of 32-bit pixels.
class PixelRows {
  public:
    // Colour channels multiplied by their pixel's alpha (the last byte of each pixel),
    // rounded to nearest as the image library premultiplies.
    static void premultiply(std::uint8_t* row, int width);
    // How many rows of `rowBytes` to hand over at once: enough to make handing over
    // cheap, few enough that a batch stays in cache while it is folded.
    static int rowsPerBatch(std::size_t rowBytes);
};

} // namespace vistrel
