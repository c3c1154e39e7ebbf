#pragma once

#include "core/geometry/Geometry.h"

namespace vistrel {

// The borderless, screen-sized main window as the controller sees it.
class MainWindow {
public:
    virtual ~MainWindow() = default;

    // Alpha value, 1 opaque, 0 invisible.
    virtual void setOpacity(float alpha) = 0;
    // true: the window stays below all other windows (desktop level); false: normal level.
    virtual void setDesktopLevel(bool onDesktop) = 0;
    virtual bool isDesktopLevel() const = 0;

    virtual bool menuBarVisible() const = 0;
    virtual void setMenuBarVisible(bool visible) = 0;
    virtual float menuBarHeight() const = 0;

    // Size of the screen with the greatest colour depth, on which the window lives.
    virtual Size screenSize() const = 0;

    virtual void makeKeyAndOrderFront() = 0;
    virtual void makeViewFirstResponder() = 0;
    // A strip of `height` units along the top edge; entering it calls the
    // controller's mouseEntered.
    virtual void installMenuStrip(int height) = 0;
};

} // namespace vistrel
