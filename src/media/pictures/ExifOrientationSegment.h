#pragma once

#include <QByteArray>

namespace vistrel {

// The smallest Exif block that tells viewers how to turn a JPEG's stored pixels: one
// APP1 segment holding only the orientation tag. Our JPEG encoder writes none itself.
class ExifOrientationSegment {
  public:
    // `jpeg` with the segment put right after the start marker (and after a JFIF APP0
    // segment, which must come first). Orientations outside 2..8 leave `jpeg` as it
    // is, as does data that does not begin like a JPEG.
    static QByteArray insertInto(const QByteArray& jpeg, int orientation);
};

} // namespace vistrel
