#pragma once

#include "core/geometry/Geometry.h"

namespace vistrel {

// A decoded still picture (or a captured movie frame). The core only measures it;
// the display and the encoders know the platform image behind it.
class Picture {
public:
    virtual ~Picture() = default;

    // The stored (unturned) size in pixels, whatever resolution was decoded for display.
    virtual Size extent() const = 0;
};

} // namespace vistrel
