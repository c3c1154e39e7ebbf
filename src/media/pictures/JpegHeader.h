#pragma once

#include <QSize>
#include <string>
#include <optional>

namespace vistrel {

// The facts of a JPEG file's marker segments before its first scan that the image
// reader does not expose, or that are wanted without it: the frame's size, sample
// precision and number of colour components (4 for CMYK/YCCK), the JFIF pixel
// density, the Exif orientation and whether a colour profile is embedded.
class JpegHeader {
  public:
    struct Density {
        double x = 0.0;
        double y = 0.0;
    };

    // nullopt when the file is no JPEG or its frame header cannot be found.
    static std::optional<JpegHeader> read(const std::string& path);
    // The same from an open file, read by position (the descriptor's offset is left alone).
    static std::optional<JpegHeader> read(int descriptor);

    QSize size;
    int precision = 8;
    int components = 3;
    std::optional<Density> densityDpi; // only when the JFIF segment gives a unit
    // 1 (upright) without an Exif segment; nothing when one is there but its
    // orientation cannot be read.
    std::optional<int> exifOrientation = 1;
    bool colourProfile = false; // an ICC profile in APP2 segments
};

} // namespace vistrel
