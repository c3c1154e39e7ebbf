#include "core/view/OrientationTransform.h"

namespace vistrel {

namespace {

// Where the stored picture's unit square lands in the upright unit square,
// as (u, v) -> (a*u + c*v + e, b*u + d*v + f); u runs along a stored row, v down the columns.
struct UnitMap {
    double a, b, c, d, e, f;
};

UnitMap unitMap(int orientation) {
    switch (orientation) {
    case 2:
        return {-1, 0, 0, 1, 1, 0}; // (1 - u, v)
    case 3:
        return {-1, 0, 0, -1, 1, 1}; // (1 - u, 1 - v)
    case 4:
        return {1, 0, 0, -1, 0, 1}; // (u, 1 - v)
    case 5:
        return {0, 1, 1, 0, 0, 0}; // (v, u): row 0 becomes the left column
    case 6:
        return {0, 1, -1, 0, 1, 0}; // (1 - v, u): row 0 becomes the right column
    case 7:
        return {0, -1, -1, 0, 1, 1}; // (1 - v, 1 - u)
    case 8:
        return {0, -1, 1, 0, 0, 1}; // (v, 1 - u): row 0 becomes the left column, read upwards
    default:
        return {1, 0, 0, 1, 0, 0};
    }
}

} // namespace

Size OrientationTransform::displayedSize(Size stored, int orientation) {
    return swapsAxes(orientation) ? Size{stored.height, stored.width} : stored;
}

AffineMap OrientationTransform::toTarget(int orientation, Size source, Size target) {
    if (source.width <= 0.0f || source.height <= 0.0f)
        return AffineMap{0, 0, 0, 0, 0, 0};
    const UnitMap m = unitMap(orientation);
    // pixel -> unit square (1/sw, 1/sh), unit map, unit square -> target (tw, th).
    const double sx = 1.0 / source.width;
    const double sy = 1.0 / source.height;
    const double tw = target.width;
    const double th = target.height;
    return AffineMap{m.a * sx * tw, m.b * sx * th, m.c * sy * tw, m.d * sy * th, m.e * tw, m.f * th};
}

} // namespace vistrel
