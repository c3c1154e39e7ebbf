#include "metadata/ExivMetadata.h"

#include "media/support/LogCategories.h"

#include <QString>
#include <algorithm>
#include <exiv2/exiv2.hpp>
#include <mutex>

namespace vistrel {

namespace {

// Values longer than this that print as a list of numbers (maker notes, embedded XML
// packets, thumbnails, strip tables) say nothing to a reader.
constexpr long maxNumberListCount = 64;
// Byte blobs beyond this are not even printed: no text hides in them.
constexpr long maxPrintedByteCount = 4096;

// The library's own complaints about damaged files, for whoever enables the category.
void logLibraryMessage(int level, const char* message) {
    qCDebug(lcPicture) << "exiv2" << level << QString::fromUtf8(message).trimmed();
}

void initialiseLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::warn);
        Exiv2::LogMsg::setHandler(logLibraryMessage);
        Exiv2::XmpParser::initialize();
#ifdef EXV_ENABLE_BMFF
        // HEIF, AVIF and JPEG XL keep their Exif and XMP in ISO media boxes, which the
        // library reads only when asked to.
        Exiv2::enableBMFF(true);
#endif
    });
}

bool isByteLike(const Exiv2::Metadatum& datum) {
    const Exiv2::TypeId type = datum.typeId();
    return type == Exiv2::unsignedByte || type == Exiv2::signedByte || type == Exiv2::undefined;
}

bool isTextType(Exiv2::TypeId type) {
    switch (type) {
    case Exiv2::asciiString:
    case Exiv2::string:
    case Exiv2::comment:
    case Exiv2::xmpText:
    case Exiv2::xmpAlt:
    case Exiv2::xmpBag:
    case Exiv2::xmpSeq:
    case Exiv2::langAlt:
    case Exiv2::date:
    case Exiv2::time:
        return true;
    default:
        return false;
    }
}

bool isNumberList(const std::string& printed) {
    return std::all_of(printed.begin(), printed.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == ' ' || c == '-' || c == '.' || c == '/';
    });
}

// A long run of numbers where a reader wants a word. Byte-like values that carry text
// (a user comment) print as that text and stay.
bool printsAsNumberList(const Exiv2::Metadatum& datum, const std::string& printed) {
    return !isTextType(datum.typeId()) && datum.count() > maxNumberListCount && isNumberList(printed);
}

// `exif` lets values whose meaning depends on other Exif tags print interpreted.
template <typename Data>
void appendPrintable(const Data& data, const Exiv2::ExifData& exif, Attributes& out) {
    for (const auto& datum : data) {
        if (isByteLike(datum) && datum.count() > maxPrintedByteCount)
            continue;
        try {
            std::string printed = datum.print(&exif);
            if (!printsAsNumberList(datum, printed))
                out.emplace_back(datum.key(), std::move(printed));
        } catch (const std::exception& error) {
            // One value that cannot be printed does not spoil the others.
            qCInfo(lcPicture) << "cannot print" << datum.key().c_str() << error.what();
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

ExivMetadata::ExivMetadata(const std::string& path, int descriptor) : m_file(descriptor) {
    initialiseLibraryOnce();
    if (m_file.bytes() == nullptr)
        return; // empty, or unreadable
    try {
        read();
    } catch (const std::exception& error) {
        // The library reports an unknown format or a damaged block by throwing; whatever
        // was read before stays.
        qCInfo(lcPicture) << "metadata of" << QString::fromStdString(path) << "unreadable:" << error.what();
    } catch (...) {
        qCWarning(lcPicture) << "metadata of" << QString::fromStdString(path) << "unreadable";
    }
}

ExivMetadata::~ExivMetadata() = default;

void ExivMetadata::read() {
    std::unique_ptr<Exiv2::Image> image(
        Exiv2::ImageFactory::open(m_file.bytes(), static_cast<long>(m_file.size())).release());
    if (image == nullptr)
        return;
    image->readMetadata();
    const Exiv2::ExifData& exif = image->exifData();

    // Checked before the conversion: a damaged tag holds any number, and converting one
    // outside int's range (or NaN) is undefined.
    if (const auto value = exifNumber(exif, "Exif.Image.Orientation"); value && *value >= 1.0 && *value < 9.0)
        m_orientation = static_cast<int>(*value);

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
    } catch (const std::exception& error) {
        // What was printed before stays.
        qCInfo(lcPicture) << "metadata printing stopped:" << error.what();
    } catch (...) {
        qCWarning(lcPicture) << "metadata printing stopped";
    }
    // Printed once: the metadata is not needed any more.
    m_image.reset();
    return m_properties;
}

} // namespace vistrel
