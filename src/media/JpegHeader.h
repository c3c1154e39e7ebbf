#pragma once

#include <QString>
#include <optional>

namespace vistrel {

// The facts of a JPEG file's frame header and JFIF segment that the image reader does
// not expose: sample precision, number of colour components (4 for CMYK/YCCK) and the
// JFIF pixel density. Only the marker segments before the first scan are read.
class JpegHeader {
  public:
    struct Density {
        double x = 0.0;
        double y = 0.0;
    };

    // nullopt when the file is no JPEG or its frame header cannot be found.
    static std::optional<JpegHeader> read(const QString& path);

    int precision = 8;
    int components = 3;
    std::optional<Density> densityDpi; // only when the JFIF segment gives a unit
};

} // namespace vistrel
