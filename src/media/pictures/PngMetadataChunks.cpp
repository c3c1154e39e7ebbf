#include "media/pictures/PngMetadataChunks.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
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

// The type of the first chunk `wanted` picks out; "IEND" when none does, nothing when
// the list is not well formed.
template <typename Wanted>
std::optional<std::array<unsigned char, 4>> firstChunkOf(int descriptor, Wanted wanted) {
    std::array<unsigned char, 8> bytes{};
    if (::pread(descriptor, bytes.data(), bytes.size(), 0) != ssize_t(bytes.size()) || bytes != pngSignature)
        return std::nullopt;
    off_t offset = off_t(pngSignature.size());
    for (;;) {
        if (::pread(descriptor, bytes.data(), bytes.size(), offset) != ssize_t(bytes.size()))
            return std::nullopt; // cut short before its end
        const std::uint32_t length = bigEndian32(bytes.data());
        const unsigned char* type = bytes.data() + 4;
        if (length > longestChunk)
            return std::nullopt;
        if (wanted(type) || std::memcmp(type, "IEND", 4) == 0)
            return std::array<unsigned char, 4>{type[0], type[1], type[2], type[3]};
        offset += off_t(length) + chunkOverhead;
    }
}

bool isType(const std::optional<std::array<unsigned char, 4>>& type, const char* name) {
    return type && std::memcmp(type->data(), name, 4) == 0;
}

} // namespace

bool pngMayCarryExif(int descriptor) {
    const auto found = firstChunkOf(descriptor, carriesExif);
    return !found || !isType(found, "IEND");
}

// The animation control chunk must come before the image data.
bool pngIsAnimated(int descriptor) {
    const auto found = firstChunkOf(descriptor, [](const unsigned char* type) {
        return std::memcmp(type, "acTL", 4) == 0 || std::memcmp(type, "IDAT", 4) == 0;
    });
    return isType(found, "acTL");
}

} // namespace vistrel
