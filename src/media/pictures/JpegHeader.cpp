#include "media/pictures/JpegHeader.h"

#include "codec/io/DescriptorReader.h"
#include "codec/io/SourceFiles.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace vistrel {

namespace {

constexpr std::uint8_t markerPrefix = 0xFF;
constexpr std::uint8_t startOfImage = 0xD8;
constexpr std::uint8_t startOfScan = 0xDA;
constexpr std::uint8_t app0 = 0xE0;
constexpr std::uint8_t app1 = 0xE1;
constexpr std::uint8_t app2 = 0xE2;

// SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC), which share the range.
bool isFrameHeader(std::uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers that stand alone, without a length field.
bool isStandalone(std::uint8_t marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

using Bytes = std::vector<std::uint8_t>;

int bigEndian16(const std::uint8_t* bytes) {
    return (bytes[0] << 8) | bytes[1];
}

bool startsWith(const Bytes& bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() && std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

std::optional<JpegHeader::Density> jfifDensity(const Bytes& segment) {
    // "JFIF\0", version (2), unit (1), x density (2), y density (2)
    constexpr std::size_t densityEnd = 12;
    if (segment.size() < densityEnd || !startsWith(segment, std::string_view("JFIF\0", 5)))
        return std::nullopt;
    const int unit = segment[7];
    const double x = bigEndian16(&segment[8]);
    const double y = bigEndian16(&segment[10]);
    if (x <= 0.0 || y <= 0.0 || (unit != 1 && unit != 2))
        return std::nullopt;
    const double perInch = unit == 2 ? 2.54 : 1.0;
    return JpegHeader::Density{x * perInch, y * perInch};
}

// The orientation tag (0x0112, one SHORT) of the first IFD of an Exif segment.
std::optional<int> orientationInExif(const Bytes& segment) {
    constexpr std::size_t tiffStart = 6; // after "Exif\0\0"
    const std::size_t size = segment.size();
    if (size < tiffStart + 8)
        return std::nullopt;
    const std::uint8_t* tiff = segment.data() + tiffStart;
    const std::size_t tiffSize = size - tiffStart;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
        return std::nullopt;
    const auto read16 = [tiff, little](std::size_t at) {
        return little ? tiff[at] | tiff[at + 1] << 8 : tiff[at] << 8 | tiff[at + 1];
    };
    const auto read32 = [&read16, little](std::size_t at) {
        const std::uint32_t first = read16(at);
        const std::uint32_t second = read16(at + 2);
        return little ? first | second << 16 : first << 16 | second;
    };
    const std::size_t directory = read32(4);
    if (read16(2) != 42 || directory > tiffSize - 2)
        return std::nullopt;
    const std::size_t entries = read16(directory);
    constexpr std::size_t entrySize = 12;
    constexpr int orientationTag = 0x0112;
    constexpr int shortType = 3;
    for (std::size_t index = 0; index < entries; ++index) {
        const std::size_t entry = directory + 2 + index * entrySize;
        if (entry + entrySize > tiffSize)
            return std::nullopt;
        if (read16(entry) != orientationTag)
            continue;
        const int value = read16(entry + 8);
        if (read16(entry + 2) != shortType || read32(entry + 4) != 1 || value < 1 || value > 8)
            return std::nullopt;
        return value;
    }
    return 1; // an Exif segment without the tag
}

} // namespace

std::optional<JpegHeader> JpegHeader::read(const std::string& path) {
    const int descriptor = SourceFiles::openRegular(path);
    if (descriptor < 0)
        return std::nullopt;
    std::optional<JpegHeader> header = read(descriptor);
    ::close(descriptor);
    return header;
}

std::optional<JpegHeader> JpegHeader::read(int descriptor) {
    // The segments before the scan are small: a chunk or two of reading covers them.
    constexpr std::size_t chunk = 64 * 1024;
    DescriptorReader file(descriptor, chunk);
    std::uint8_t pair[2] = {};
    if (!file.read(pair, 2) || pair[0] != markerPrefix || pair[1] != startOfImage)
        return std::nullopt;

    JpegHeader header;
    bool exifSeen = false;
    Bytes bytes;
    for (;;) {
        std::uint8_t code = 0;
        if (!file.read(&code, 1) || code != markerPrefix)
            return std::nullopt;
        do { // fill bytes may come before the marker's code
            if (!file.read(&code, 1))
                return std::nullopt;
        } while (code == markerPrefix);
        if (isStandalone(code))
            continue;
        if (code == startOfScan || !file.read(pair, 2))
            return std::nullopt;
        const int payloadLength = bigEndian16(pair) - 2;
        if (payloadLength < 0)
            return std::nullopt;
        bytes.resize(std::size_t(payloadLength));
        if (isFrameHeader(code)) {
            // precision (1), height (2), width (2), component count (1)
            if (payloadLength < 6 || !file.read(bytes.data(), 6))
                return std::nullopt;
            header.precision = bytes[0];
            header.size = QSize(bigEndian16(&bytes[3]), bigEndian16(&bytes[1]));
            header.components = bytes[5];
            return header;
        }
        if (!file.read(bytes.data(), bytes.size()))
            return std::nullopt;
        if (code == app0 && !header.densityDpi)
            header.densityDpi = jfifDensity(bytes);
        if (code == app1 && !exifSeen && startsWith(bytes, std::string_view("Exif\0\0", 6))) {
            exifSeen = true; // the first Exif segment is the one readers follow
            header.exifOrientation = orientationInExif(bytes);
        }
        if (code == app2 && startsWith(bytes, std::string_view("ICC_PROFILE\0", 12)))
            header.colourProfile = true;
    }
}

} // namespace vistrel
