#pragma once

#include "core/media/Attributes.h"

#include <optional>

namespace vistrel {

// The Exif, IPTC and XMP metadata of one picture file, as far as it could be read.
// Metadata is a courtesy: a missing file, an unsupported format or a damaged block
// leaves it empty instead of failing.
class PictureMetadata {
  public:
    struct Resolution {
        double x = 0.0;
        double y = 0.0;
    };

    virtual ~PictureMetadata() = default;

    // Exif orientation 1..8, when the file carries a valid one.
    virtual std::optional<int> orientation() const = 0;
    // Dots per inch from the Exif resolution tags, when present.
    virtual std::optional<Resolution> resolutionDpi() const = 0;
    // Every key read, with its printed value, in the order Exif, IPTC, XMP.
    virtual const Attributes& properties() const = 0;
};

} // namespace vistrel
