#pragma once

#include <QImage>

struct mpv_render_context;

namespace vistrel {

// One frame drawn through libmpv's software render API into an RGB32 image.
class MpvSoftwareRender {
  public:
    // Draws the current frame into `image`, which keeps its size (the picture is
    // stretched over all of it), and makes it opaque. `waitForTargetTime`: let mpv hold the
    // call until the frame is due, as a view that shows frames as they come wants.
    // False when mpv drew nothing. GUI thread only.
    static bool into(mpv_render_context* context, QImage& image, bool waitForTargetTime);
};

} // namespace vistrel
