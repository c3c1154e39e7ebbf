#pragma once

namespace vistrel {

// Plain value types for sizes, points and rectangles. Coordinates have their
// origin at the lower left, y growing upwards, unless a caller says otherwise.
struct Size {
    float width = 0.0f;
    float height = 0.0f;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Point {
    float x = 0.0f;
    float y = 0.0f;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    friend bool operator==(const Rect&, const Rect&) = default;
};

} // namespace vistrel
