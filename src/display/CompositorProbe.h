#pragma once

namespace vistrel {

// Whether the desktop composes translucent windows over what lies below them.
// Wayland always does; on X11 only while a compositing manager owns the selection
// _NET_WM_CM_S0. Without one, a translucent window shows as an opaque block.
class CompositorProbe {
  public:
    static bool hasCompositingManager();
    // True on Qt's Wayland platform, where the compositor alone places windows.
    static bool isWayland();
};

} // namespace vistrel
