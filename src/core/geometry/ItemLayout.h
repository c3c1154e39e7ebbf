#pragma once

#include "core/geometry/Geometry.h"

namespace vistrel {

struct GeometryValues {
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    float posX = 0.0f;
    float posY = 0.0f;
};

// The view rectangle for an item of `natural` size on a screen of `screen` size:
// fitted on the tighter axis, scaled, stretched vertically and placed, with the
// products formed in 32 bits and the placement offsets in 64 (so stored settings lay
// items out to the same pixel). Returns false, leaving `out` alone, when the natural
// size is empty (nothing to fit, e.g. a sound-only movie).
bool layoutItem(Size natural, Size screen, const GeometryValues& values, Rect& out);

// Steps used by the menu: value widened to 64 bits, stepped, rounded back to 32.
float addStep(float value, double step);
float multiplyStep(float value, double factor);

// One step of growing or shrinking a scale, from the menu or the mouse wheel.
constexpr double growFactor = 1.1;
constexpr double shrinkFactor = 0.9;

} // namespace vistrel
