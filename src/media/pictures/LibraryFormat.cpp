#include "media/pictures/LibraryFormat.h"

#include <QtEndian>
#include <algorithm>
#include <array>

namespace vistrel {

namespace {

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

} // namespace vistrel
