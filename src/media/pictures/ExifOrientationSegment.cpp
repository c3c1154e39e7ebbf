#include "media/pictures/ExifOrientationSegment.h"

namespace vistrel {

namespace {

constexpr char markerPrefix = char(0xFF);
constexpr char startOfImage = char(0xD8);
constexpr char app0 = char(0xE0);
constexpr char app1 = char(0xE1);
constexpr int orientationTag = 0x0112;
constexpr int typeShort = 3;
constexpr int firstIfdOffset = 8; // right after the TIFF header

void appendBigEndian16(QByteArray& out, int value) {
    out.append(char((value >> 8) & 0xFF));
    out.append(char(value & 0xFF));
}

void appendBigEndian32(QByteArray& out, quint32 value) {
    appendBigEndian16(out, int(value >> 16));
    appendBigEndian16(out, int(value & 0xFFFF));
}

int bigEndian16At(const QByteArray& data, qsizetype at) {
    return (quint8(data[at]) << 8) | quint8(data[at + 1]);
}

// Where the new segment goes: after the start marker, and after a JFIF APP0 segment
// directly behind it.
qsizetype insertionPoint(const QByteArray& jpeg) {
    constexpr qsizetype afterStart = 2;
    if (jpeg.size() >= afterStart + 4 && jpeg[afterStart] == markerPrefix && jpeg[afterStart + 1] == app0) {
        const qsizetype end = afterStart + 2 + bigEndian16At(jpeg, afterStart + 2);
        if (end <= jpeg.size())
            return end;
    }
    return afterStart;
}

// The segment, from its marker on.
QByteArray segment(int orientation) {
    QByteArray tiff;
    tiff.append("MM", 2); // big-endian
    appendBigEndian16(tiff, 42);
    appendBigEndian32(tiff, firstIfdOffset);
    appendBigEndian16(tiff, 1); // one entry
    appendBigEndian16(tiff, orientationTag);
    appendBigEndian16(tiff, typeShort);
    appendBigEndian32(tiff, 1);           // one value,
    appendBigEndian16(tiff, orientation); // held in the entry itself, left-aligned
    appendBigEndian16(tiff, 0);
    appendBigEndian32(tiff, 0); // no further IFD

    QByteArray payload("Exif\0\0", 6);
    payload.append(tiff);
    QByteArray out;
    out.append(markerPrefix);
    out.append(app1);
    appendBigEndian16(out, int(payload.size()) + 2);
    out.append(payload);
    return out;
}

} // namespace

QByteArray ExifOrientationSegment::insertInto(const QByteArray& jpeg, int orientation) {
    const bool isJpeg = jpeg.size() >= 2 && jpeg[0] == markerPrefix && jpeg[1] == startOfImage;
    if (!isJpeg || orientation < 2 || orientation > 8)
        return jpeg;
    QByteArray out = jpeg;
    out.insert(insertionPoint(jpeg), segment(orientation));
    return out;
}

} // namespace vistrel
