#include "media/pictures/LibraryFormat.h"

#include <QtEndian>
#include <algorithm>
#include <array>
#include <unistd.h>

namespace vistrel {

namespace {

// An ISO media file's type box with its compatible brands, the JPEG XL signatures, and
// an MPEG transport stream's second packet.
constexpr qsizetype headBytes = 192;
constexpr qsizetype transportPacket = 188;

constexpr QByteArrayView jxlCodestream("\xFF\x0A", 2);
constexpr QByteArrayView jxlContainer("\x00\x00\x00\x0CJXL \x0D\x0A\x87\x0A", 12);

// Brands of HEVC-coded and generic HEIF still pictures and sequences, then AVIF's.
constexpr std::array<QByteArrayView, 11> heifBrands{"heic", "heix", "hevc", "hevx", "heim", "heis",
                                                    "hevm", "hevs", "mif1", "mif2", "msf1"};
constexpr std::array<QByteArrayView, 2> avifBrands{"avif", "avis"};

bool isOneOf(QByteArrayView brand, const auto& brands) {
    return std::find(brands.begin(), brands.end(), brand) != brands.end();
}

// The type box: size (4 bytes), "ftyp", major brand, minor version, then the
// compatible brands up to the box's end (or as far as the head reaches).
LibraryFormat isoImageFormatOf(QByteArrayView head) {
    constexpr qsizetype brandsStart = 16;
    if (head.size() < 12 || head.sliced(4, 4) != "ftyp")
        return LibraryFormat::none;
    const QByteArrayView major = head.sliced(8, 4);
    if (isOneOf(major, avifBrands))
        return LibraryFormat::avif;
    if (isOneOf(major, heifBrands))
        return LibraryFormat::heif;
    // Size 0 stands for a box that runs to the end of the file.
    const qsizetype boxSize = qFromBigEndian<quint32>(head.data());
    const qsizetype end = boxSize == 0 ? head.size() : std::min(head.size(), boxSize);
    bool image = false;
    for (qsizetype at = brandsStart; at + 4 <= end; at += 4)
        image = image || isOneOf(head.sliced(at, 4), heifBrands) || isOneOf(head.sliced(at, 4), avifBrands);
    // The major brand alone tells HEIC from AVIF, as the pictures' own readers do.
    return image ? LibraryFormat::heif : LibraryFormat::none;
}

} // namespace

LibraryFormat libraryFormatOf(QByteArrayView head) {
    if (head.startsWith(jxlCodestream) || head.startsWith(jxlContainer))
        return LibraryFormat::jxl;
    return isoImageFormatOf(head);
}

bool isMovieContainer(QByteArrayView head) {
    if (head.size() >= 12 && head.sliced(4, 4) == "ftyp")
        return libraryFormatOf(head) == LibraryFormat::none;
    static constexpr std::array<QByteArrayView, 6> signatures{
        QByteArrayView("\x1A\x45\xDF\xA3", 4),                  // Matroska, WebM
        QByteArrayView("\x00\x00\x01\xBA", 4),                  // MPEG program stream
        QByteArrayView("OggS"), QByteArrayView("FLV\x01", 4),
        QByteArrayView("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8), // ASF, WMV
        QByteArrayView("RIFF")};
    for (const QByteArrayView signature : signatures)
        if (head.startsWith(signature))
            return signature != "RIFF" || (head.size() >= 12 && head.sliced(8, 4) == "AVI ");
    return head.size() > transportPacket && head[0] == '\x47' && head[transportPacket] == '\x47';
}

QByteArray fileHead(int descriptor) {
    QByteArray head(headBytes, Qt::Uninitialized);
    const ssize_t got = ::pread(descriptor, head.data(), std::size_t(head.size()), 0);
    head.truncate(got > 0 ? qsizetype(got) : 0);
    return head;
}

} // namespace vistrel
