#pragma once

#include "media/Attributes.h"

#include <optional>
#include <string>

namespace vistrel {

// The Exif, IPTC and XMP metadata of one picture file, read once at construction.
// Metadata is a courtesy: a missing file, an unsupported format or a damaged block
// leaves the object empty instead of failing, and nothing escapes from the library.
class ExivMetadata {
  public:
    struct Resolution {
        double x = 0.0;
        double y = 0.0;
    };

    explicit ExivMetadata(const std::string& path);

    // Exif orientation 1..8, when the file carries a valid one.
    std::optional<int> orientation() const { return m_orientation; }
    // Dots per inch from the Exif resolution tags, when present.
    std::optional<Resolution> resolutionDpi() const { return m_resolution; }
    // Every key read, with its printed value, in the library's order (Exif, IPTC, XMP).
    const Attributes& properties() const { return m_properties; }

  private:
    void read(const std::string& path);

    std::optional<int> m_orientation;
    std::optional<Resolution> m_resolution;
    Attributes m_properties;
};

} // namespace vistrel
