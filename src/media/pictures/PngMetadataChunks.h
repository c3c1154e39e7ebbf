#pragma once

#include <array>

namespace vistrel {

// The eight bytes every PNG file begins with.
inline constexpr std::array<unsigned char, 8> pngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Whether a PNG file holds a chunk that can carry Exif: eXIf itself, or a text chunk
// (tEXt, zTXt, iTXt), where some writers keep Exif as a "Raw profile". Walks the chunk
// headers of the open file without reading their data and without moving the
// descriptor's offset. Anything that is not a well-formed chunk list answers true, so
// that a closer reader decides; only a clean list without such a chunk answers false.
bool pngMayCarryExif(int descriptor);

// Whether a PNG file is an animation: an acTL chunk comes before its image data. Walks
// the chunk headers as pngMayCarryExif does; a damaged list is no animation.
bool pngIsAnimated(int descriptor);

} // namespace vistrel
