#include "codec/rows/PixelRows.h"

#include <algorithm>

namespace vistrel {

namespace {

// round(value * alpha / 255) without a division.
std::uint8_t scaled(unsigned value, unsigned alpha) {
    const unsigned product = value * alpha;
    return std::uint8_t((product + (product >> 8) + 0x80) >> 8);
}

} // namespace

void PixelRows::premultiply(std::uint8_t* row, int width) {
    for (int x = 0; x < width; ++x, row += 4) {
        const unsigned alpha = row[3];
        if (alpha == 255)
            continue;
        row[0] = scaled(row[0], alpha);
        row[1] = scaled(row[1], alpha);
        row[2] = scaled(row[2], alpha);
    }
}

int PixelRows::rowsPerBatch(std::size_t rowBytes) {
    constexpr std::size_t batchBytes = std::size_t(128) * 1024;
    constexpr std::size_t mostRows = 64;
    return int(std::clamp<std::size_t>(batchBytes / std::max<std::size_t>(rowBytes, 1), 1, mostRows));
}

} // namespace vistrel
