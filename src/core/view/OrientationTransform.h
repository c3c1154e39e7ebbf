#pragma once

#include "core/geometry/Geometry.h"

namespace vistrel {

// An affine map in the convention of 2D drawing APIs (x right, y down):
//   x' = m11 * x + m21 * y + dx
//   y' = m12 * x + m22 * y + dy
struct AffineMap {
    double m11 = 1.0;
    double m12 = 0.0;
    double m21 = 0.0;
    double m22 = 1.0;
    double dx = 0.0;
    double dy = 0.0;

    Point map(Point p) const {
        return Point{static_cast<float>(m11 * p.x + m21 * p.y + dx),
                     static_cast<float>(m12 * p.x + m22 * p.y + dy)};
    }
};

// How a picture stored with a TIFF/Exif orientation number is drawn upright.
//   1 as stored            2 mirrored left-right     3 turned 180 degrees     4 mirrored top-bottom
//   5 transposed           6 turned 90 clockwise     7 transversed            8 turned 90 anticlockwise
// Numbers outside 1..8 draw as stored.
class OrientationTransform {
  public:
    static bool isValid(int orientation) { return orientation >= 1 && orientation <= 8; }
    // 5..8 swap width and height when the picture is turned upright.
    static bool swapsAxes(int orientation) { return orientation >= 5 && orientation <= 8; }
    // The size a picture stored at `stored` has once turned upright.
    static Size displayedSize(Size stored, int orientation);

    // Maps the stored picture's pixel rectangle (0, 0, source) onto the target
    // rectangle (0, 0, target), both with y growing downwards, so that the picture
    // turned upright fills the target exactly.
    static AffineMap toTarget(int orientation, Size source, Size target);
};

} // namespace vistrel
