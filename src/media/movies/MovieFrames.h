#pragma once

#include <QImage>
#include <QSize>
#include <functional>

namespace vistrel {

// Draws the frames of one movie into images for a view. Create and use it on the GUI
// thread; it may outlive its movie, and then draws nothing.
class MovieFrames {
  public:
    virtual ~MovieFrames() = default;

    // Called from any thread whenever a new frame is ready; it must only post work
    // to the GUI thread (e.g. QMetaObject::invokeMethod with Qt::QueuedConnection).
    virtual void setFrameReadyCallback(std::function<void()> callback) = 0;
    // The current frame at `size` (pixels); a null image when there is nothing to draw.
    // A frame that is kept never changes: the next one goes into another buffer.
    virtual QImage render(QSize size) = 0;
};

} // namespace vistrel
