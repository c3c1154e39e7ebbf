#include "media/ExivMetadata.h"

#include <exiv2/exiv2.hpp>
#include <mutex>

namespace vistrel {

namespace {

// Byte-like values longer than this (maker notes, embedded XML packets, thumbnails)
// print as thousands of numbers and say nothing to a reader.
constexpr long maxPrintedByteCount = 64;

void initialiseLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
    });
}

bool printsHuge(const Exiv2::Metadatum& datum) {
    const Exiv2::TypeId type = datum.typeId();
    const bool byteLike =
        type == Exiv2::unsignedByte || type == Exiv2::signedByte || type == Exiv2::undefined;
    return byteLike && datum.count() > maxPrintedByteCount;
}

// `exif` lets values whose meaning depends on other Exif tags print interpreted.
template <typename Data>
void appendPrintable(const Data& data, const Exiv2::ExifData& exif, Attributes& out) {
    for (const auto& datum : data) {
        if (printsHuge(datum))
            continue;
        try {
            out.emplace_back(datum.key(), datum.print(&exif));
        } catch (...) {
            // One value that cannot be printed does not spoil the others.
        }
    }
}

std::optional<double> exifNumber(const Exiv2::ExifData& exif, const char* key) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end() || it->count() == 0)
        return std::nullopt;
    return static_cast<double>(it->toFloat(0));
}

} // namespace

ExivMetadata::ExivMetadata(const std::string& path) {
    initialiseLibraryOnce();
    try {
        read(path);
    } catch (...) {
        // The library reports a missing file or a damaged block by throwing; whatever was
        // read before stays.
    }
}

ExivMetadata::~ExivMetadata() = default;

void ExivMetadata::read(const std::string& path) {
    std::unique_ptr<Exiv2::Image> image(Exiv2::ImageFactory::open(path, false).release());
    if (image == nullptr)
        return;
    image->readMetadata();
    const Exiv2::ExifData& exif = image->exifData();

    if (const auto value = exifNumber(exif, "Exif.Image.Orientation")) {
        const int orientation = static_cast<int>(*value);
        if (orientation >= 1 && orientation <= 8)
            m_orientation = orientation;
    }

    const auto x = exifNumber(exif, "Exif.Image.XResolution");
    const auto y = exifNumber(exif, "Exif.Image.YResolution");
    if (x && y && *x > 0.0 && *y > 0.0) {
        constexpr int unitCentimetre = 3;
        const double perInch = exifNumber(exif, "Exif.Image.ResolutionUnit") == unitCentimetre ? 2.54 : 1.0;
        m_resolution = Resolution{*x * perInch, *y * perInch};
    }

    m_image = std::move(image);
}

const Attributes& ExivMetadata::properties() const {
    if (m_image == nullptr)
        return m_properties;
    try {
        const Exiv2::ExifData& exif = m_image->exifData();
        appendPrintable(exif, exif, m_properties);
        appendPrintable(m_image->iptcData(), exif, m_properties);
        appendPrintable(m_image->xmpData(), exif, m_properties);
    } catch (...) {
        // What was printed before stays.
    }
    // Printed once: the metadata is not needed any more.
    m_image.reset();
    return m_properties;
}

} // namespace vistrel
