#pragma once

#include "core/geometry/Geometry.h"

#include <algorithm>

namespace vistrel {

// Pictures are decoded to fit a square of the screen's longer side: enough for the
// screen whichever way the stored orientation turns them.
inline Size pictureSizeForScreen(Size screen) {
    const float side = std::max(screen.width, screen.height);
    return Size{side, side};
}

} // namespace vistrel
