#include "media/pictures/PngMetadataChunks.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <sys/types.h>
#include <unistd.h>

namespace vistrel {

namespace {

constexpr std::array<const char*, 4> exifCarriers = {"eXIf", "tEXt", "zTXt", "iTXt"};
// Chunk lengths are 31-bit by the format's rule.
constexpr std::uint32_t longestChunk = 0x7FFFFFFFu;
// The length, type and CRC around each chunk's data.
constexpr off_t chunkOverhead = 12;

std::uint32_t bigEndian32(const unsigned char* bytes) {
    return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) | (std::uint32_t(bytes[2]) << 8) |
           std::uint32_t(bytes[3]);
}

bool carriesExif(const unsigned char* type) {
    for (const char* carrier : exifCarriers)
        if (std::memcmp(type, carrier, 4) == 0)
            return true;
    return false;
}

} // namespace

bool pngMayCarryExif(int descriptor) {
    std::array<unsigned char, 8> bytes{};
    if (::pread(descriptor, bytes.data(), bytes.size(), 0) != ssize_t(bytes.size()) || bytes != pngSignature)
        return true;
    off_t offset = off_t(pngSignature.size());
    for (;;) {
        if (::pread(descriptor, bytes.data(), bytes.size(), offset) != ssize_t(bytes.size()))
            return true; // cut short before its end
        const std::uint32_t length = bigEndian32(bytes.data());
        const unsigned char* type = bytes.data() + 4;
        if (length > longestChunk || carriesExif(type))
            return true;
        if (std::memcmp(type, "IEND", 4) == 0)
            return false;
        offset += off_t(length) + chunkOverhead;
    }
}

} // namespace vistrel
