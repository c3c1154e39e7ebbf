#include "codec/io/FileSignatures.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <unistd.h>

namespace vistrel {

namespace {

// An MPEG transport stream's packets, each starting with the same sync byte.
constexpr std::size_t transportPacket = 188;

constexpr std::string_view jxlCodestream("\xFF\x0A", 2);
constexpr std::string_view jxlContainer("\x00\x00\x00\x0CJXL \x0D\x0A\x87\x0A", 12);

// Brands of HEVC-coded and generic HEIF still pictures and sequences, then AVIF's.
constexpr std::array<std::string_view, 11> heifBrands{"heic", "heix", "hevc", "hevx", "heim", "heis",
                                                      "hevm", "hevs", "mif1", "mif2", "msf1"};
constexpr std::array<std::string_view, 2> avifBrands{"avif", "avis"};

bool isOneOf(std::string_view brand, const auto& brands) {
    return std::find(brands.begin(), brands.end(), brand) != brands.end();
}

std::uint32_t bigEndian32(std::string_view bytes) {
    std::uint32_t value = 0;
    for (const char byte : bytes.substr(0, 4))
        value = value << 8 | static_cast<unsigned char>(byte);
    return value;
}

bool isTypeBox(std::string_view head) {
    return head.size() >= 12 && head.substr(4, 4) == "ftyp";
}

// The type box: size (4 bytes), "ftyp", major brand, minor version, then the
// compatible brands up to the box's end (or as far as the head reaches).
LibraryFormat isoImageFormatOf(std::string_view head) {
    constexpr std::size_t brandsStart = 16;
    if (!isTypeBox(head))
        return LibraryFormat::none;
    const std::string_view major = head.substr(8, 4);
    if (isOneOf(major, avifBrands))
        return LibraryFormat::avif;
    if (isOneOf(major, heifBrands))
        return LibraryFormat::heif;
    // Size 0 stands for a box that runs to the end of the file.
    const std::size_t boxSize = bigEndian32(head);
    const std::size_t end = boxSize == 0 ? head.size() : std::min(head.size(), boxSize);
    bool image = false;
    for (std::size_t at = brandsStart; at + 4 <= end; at += 4)
        image = image || isOneOf(head.substr(at, 4), heifBrands) || isOneOf(head.substr(at, 4), avifBrands);
    // The major brand alone tells HEIC from AVIF, as the pictures' own readers do.
    return image ? LibraryFormat::heif : LibraryFormat::none;
}

} // namespace

std::string fileHeadOf(int descriptor) {
    std::string head(fileHeadBytes, '\0');
    const ssize_t got = ::pread(descriptor, head.data(), head.size(), 0);
    head.resize(got > 0 ? std::size_t(got) : 0);
    return head;
}

LibraryFormat libraryFormatOf(std::string_view head) {
    if (head.starts_with(jxlCodestream) || head.starts_with(jxlContainer))
        return LibraryFormat::jxl;
    return isoImageFormatOf(head);
}

bool isMovieContainer(std::string_view head) {
    if (isTypeBox(head))
        return libraryFormatOf(head) == LibraryFormat::none;
    static constexpr std::array<std::string_view, 6> signatures{
        std::string_view("\x1A\x45\xDF\xA3", 4),                  // Matroska, WebM
        std::string_view("\x00\x00\x01\xBA", 4),                  // MPEG program stream
        std::string_view("OggS"), std::string_view("FLV\x01", 4),
        std::string_view("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8), // ASF, WMV
        std::string_view("RIFF")};
    for (const std::string_view signature : signatures)
        if (head.starts_with(signature))
            return signature != "RIFF" || (head.size() >= 12 && head.substr(8, 4) == "AVI ");
    return head.size() > transportPacket && head[0] == '\x47' && head[transportPacket] == '\x47';
}

bool needsEveryReader(std::string_view head) {
    static constexpr std::array<std::string_view, 5> signatures{
        std::string_view("GIF8"), std::string_view("II*\0", 4), std::string_view("MM\0*", 4),
        std::string_view("BM"), std::string_view("RIFF")};
    if (libraryFormatOf(head) != LibraryFormat::none)
        return true;
    for (const std::string_view signature : signatures)
        if (head.starts_with(signature))
            return signature != "RIFF" || (head.size() >= 12 && head.substr(8, 4) == "WEBP");
    return false;
}

} // namespace vistrel
