#pragma once

#include "media/Attributes.h"

#include <memory>
#include <optional>
#include <string>

namespace Exiv2 {
class Image;
}

namespace vistrel {

// The Exif, IPTC and XMP metadata of one picture file, read once at construction; the
// printed properties are made only when first asked for, since printing every value
// costs far more than reading the few numbers the viewer needs.
// Metadata is a courtesy: a missing file, an unsupported format or a damaged block
// leaves the object empty instead of failing, and nothing escapes from the library.
class ExivMetadata {
  public:
    struct Resolution {
        double x = 0.0;
        double y = 0.0;
    };

    explicit ExivMetadata(const std::string& path);
    ~ExivMetadata();
    ExivMetadata(const ExivMetadata&) = delete;
    ExivMetadata& operator=(const ExivMetadata&) = delete;

    // Exif orientation 1..8, when the file carries a valid one.
    std::optional<int> orientation() const { return m_orientation; }
    // Dots per inch from the Exif resolution tags, when present.
    std::optional<Resolution> resolutionDpi() const { return m_resolution; }
    // Every key read, with its printed value, in the library's order (Exif, IPTC, XMP).
    const Attributes& properties() const;

  private:
    void read(const std::string& path);

    // The file's metadata as read; null when nothing could be read, and once printed.
    mutable std::unique_ptr<Exiv2::Image> m_image;
    std::optional<int> m_orientation;
    std::optional<Resolution> m_resolution;
    mutable Attributes m_properties;
};

} // namespace vistrel
