#include "media/JpegHeader.h"

#include <QFile>
#include <cstdint>

namespace vistrel {

namespace {

constexpr std::uint8_t markerPrefix = 0xFF;
constexpr std::uint8_t startOfImage = 0xD8;
constexpr std::uint8_t startOfScan = 0xDA;
constexpr std::uint8_t app0 = 0xE0;

// SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC), which share the range.
bool isFrameHeader(std::uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers that stand alone, without a length field.
bool isStandalone(std::uint8_t marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

int bigEndian16(const QByteArray& bytes, int offset) {
    return (static_cast<std::uint8_t>(bytes.at(offset)) << 8) |
           static_cast<std::uint8_t>(bytes.at(offset + 1));
}

std::optional<JpegHeader::Density> jfifDensity(const QByteArray& segment) {
    // "JFIF\0", version (2), unit (1), x density (2), y density (2)
    constexpr int densityEnd = 12;
    if (segment.size() < densityEnd || !segment.startsWith(QByteArrayLiteral("JFIF\0")))
        return std::nullopt;
    const int unit = static_cast<std::uint8_t>(segment.at(7));
    const double x = bigEndian16(segment, 8);
    const double y = bigEndian16(segment, 10);
    if (x <= 0.0 || y <= 0.0 || (unit != 1 && unit != 2))
        return std::nullopt;
    const double perInch = unit == 2 ? 2.54 : 1.0;
    return JpegHeader::Density{x * perInch, y * perInch};
}

} // namespace

std::optional<JpegHeader> JpegHeader::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray start = file.read(2);
    if (start.size() != 2 || static_cast<std::uint8_t>(start.at(0)) != markerPrefix ||
        static_cast<std::uint8_t>(start.at(1)) != startOfImage)
        return std::nullopt;

    JpegHeader header;
    for (;;) {
        const QByteArray marker = file.read(2);
        if (marker.size() != 2 || static_cast<std::uint8_t>(marker.at(0)) != markerPrefix)
            return std::nullopt;
        const auto code = static_cast<std::uint8_t>(marker.at(1));
        if (code == markerPrefix) { // fill byte: the marker code follows
            file.seek(file.pos() - 1);
            continue;
        }
        if (isStandalone(code))
            continue;
        if (code == startOfScan)
            return std::nullopt;
        const QByteArray lengthBytes = file.read(2);
        if (lengthBytes.size() != 2)
            return std::nullopt;
        const int payloadLength = bigEndian16(lengthBytes, 0) - 2;
        if (payloadLength < 0)
            return std::nullopt;
        if (isFrameHeader(code)) {
            // precision (1), height (2), width (2), component count (1)
            const QByteArray frame = file.read(6);
            if (frame.size() != 6)
                return std::nullopt;
            header.precision = static_cast<std::uint8_t>(frame.at(0));
            header.components = static_cast<std::uint8_t>(frame.at(5));
            return header;
        }
        if (code == app0) {
            const QByteArray segment = file.read(payloadLength);
            if (!header.densityDpi)
                header.densityDpi = jfifDensity(segment);
            continue;
        }
        if (!file.seek(file.pos() + payloadLength))
            return std::nullopt;
    }
}

} // namespace vistrel
