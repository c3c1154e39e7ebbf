#include "core/geometry/ItemLayout.h"

#include <cmath>

namespace vistrel {

namespace {

bool isUsableExtent(float a, float b) {
    return std::isfinite(a) && std::isfinite(b) && a > 0.0f && b > 0.0f;
}

// The edge of an item of `length` on a screen axis of `screenLength`, with `half`
// of the free space on each side, placed by `pos` (0 centred, 1 just past the far
// edge, -1 just before the near one). The product a * pos is 32-bit; |pos| * half,
// the sum and the difference are 64-bit; the edge is rounded back to 32 bits.
float placedEdge(float half, float pos, float screenLength, float length) {
    const float a = pos >= 0.0f ? screenLength : length;
    const float shift = a * pos;
    const double edge = static_cast<double>(half) + static_cast<double>(shift) -
                        static_cast<double>(std::fabs(pos)) * static_cast<double>(half);
    return static_cast<float>(edge);
}

} // namespace

bool layoutItem(Size natural, Size screen, const GeometryValues& values, Rect& out) {
    if (!isUsableExtent(natural.width, natural.height) || !std::isfinite(screen.width) ||
        !std::isfinite(screen.height))
        return false;
    const float byHeight = screen.height / natural.height;
    const float byWidth = screen.width / natural.width;
    const float fit = byHeight < byWidth ? byHeight : byWidth;

    const float width = fit * natural.width * values.scaleX;
    const float height = fit * natural.height * values.scaleX * values.scaleY;
    const float halfX = (screen.width - width) * 0.5f;
    const float halfY = (screen.height - height) * 0.5f;

    out = Rect{placedEdge(halfX, values.posX, screen.width, width),
               placedEdge(halfY, values.posY, screen.height, height), width, height};
    return true;
}

float addStep(float value, double step) {
    return static_cast<float>(static_cast<double>(value) + step);
}

float multiplyStep(float value, double factor) {
    return static_cast<float>(static_cast<double>(value) * factor);
}

} // namespace vistrel
