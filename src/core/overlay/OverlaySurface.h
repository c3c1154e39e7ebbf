#pragma once

#include <string>

namespace vistrel {

// Where the status overlay's text appears: a translucent window over the screen,
// or a translucent layer over the main window's content.
class OverlaySurface {
  public:
    virtual ~OverlaySurface() = default;

    virtual void setText(const std::string& text) = 0;
    // 0 invisible .. 1 opaque; the surface shows the change by itself.
    virtual void setOpacity(float opacity) = 0;
    // Brings the surface in front of the item without taking the keyboard focus.
    virtual void orderFront() = 0;
    virtual void orderOut() = 0;
    // Redraws now.
    virtual void display() = 0;
};

} // namespace vistrel
