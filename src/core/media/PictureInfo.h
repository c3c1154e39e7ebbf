#pragma once

#include "core/media/Attributes.h"

#include <optional>
#include <string>

namespace vistrel {

enum class PictureStatus {
    ok,           // a picture whose properties were read
    notAPicture,  // the file's type is not a recognised picture type (or the file is missing)
    unreadable,   // a recognised picture type that cannot be read
};

// What the picture services report about a file without decoding its pixels.
struct PictureInfo {
    PictureStatus status = PictureStatus::notAPicture;
    std::optional<int> pixelWidth;
    std::optional<int> pixelHeight;
    std::optional<int> orientation;  // 1..8 as in TIFF/Exif, when the file has one
    std::optional<int> depth;        // bits per sample
    std::optional<std::string> colorModel;  // "RGB", "Gray", "CMYK", "Indexed", ...
    std::optional<double> dpiWidth;
    std::optional<double> dpiHeight;
    // Every property, metadata keys (Exif/IPTC/XMP) included, printable.
    Attributes properties;
};

} // namespace vistrel
