#pragma once

#include "core/geometry/Geometry.h"

#include <optional>

namespace vistrel {

class ViewGeometry;

// Turns mouse drags and wheel turns on the picture view into geometry changes.
// Points are in view coordinates: origin at the lower left, y growing upwards.
//
// A drag: beginDrag at the press fixes the view size for the whole drag; the first
// drag event only fixes the reference point r (it changes the values by nothing).
// A plain drag event moves the item by the offset from r in fractions of the view
// size and leaves r in place: the view follows the pointer, so the offset shrinks.
// A Shift drag event scales by the relative offset from r and moves r to the event.
class ViewGestures {
  public:
    // Presses below this height belong to the movie control bar, which is this tall.
    static constexpr int controlStripHeight = 32;
    static bool isInControlStrip(Point p) { return p.y < static_cast<float>(controlStripHeight); }

    void beginDrag(Size viewSize);
    void dragTo(Point p, bool shift, ViewGeometry& geometry);
    void endDrag();
    bool isDragging() const { return m_dragging; }

    // Factor of one wheel event: the horizontal delta wins over the vertical one.
    static double wheelFactor(float deltaX, float deltaY);
    // One wheel event, one change: scaleY with Alt held, otherwise scaleX.
    static void wheel(float deltaX, float deltaY, bool alt, ViewGeometry& geometry);

  private:
    Size m_size;
    std::optional<Point> m_reference;
    bool m_dragging = false;
};

} // namespace vistrel
