#pragma once

#include "formats/FileBytes.h"
#include "media/pictures/PictureMetadata.h"

#include <memory>
#include <optional>
#include <string>

namespace Exiv2 {
class Image;
}

namespace vistrel {

// A picture's metadata through exiv2, read once at construction; the printed
// properties are made only when first asked for, since printing every value costs far
// more than reading the few numbers the viewer needs. Nothing escapes from the library.
class ExivMetadata final : public PictureMetadata {
  public:
    // The metadata of the open regular file `descriptor`, named `path` in the log; the
    // descriptor stays the caller's.
    ExivMetadata(const std::string& path, int descriptor);
    ~ExivMetadata() override;
    ExivMetadata(const ExivMetadata&) = delete;
    ExivMetadata& operator=(const ExivMetadata&) = delete;

    std::optional<int> orientation() const override { return m_orientation; }
    std::optional<Resolution> resolutionDpi() const override { return m_resolution; }
    const Attributes& properties() const override;

  private:
    void read();
    // The file's bytes, which the image reads from (and prints from later).
    MappedFile m_file;

    // The file's metadata as read; null when nothing could be read, and once printed.
    mutable std::unique_ptr<Exiv2::Image> m_image;
    std::optional<int> m_orientation;
    std::optional<Resolution> m_resolution;
    mutable Attributes m_properties;
};

} // namespace vistrel
