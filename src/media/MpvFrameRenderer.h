#pragma once

#include <QImage>
#include <QSize>
#include <functional>
#include <memory>

namespace vistrel {

class MpvMovie;

// Draws the frames of one movie into images through libmpv's software render API,
// so movies show the same way with or without a GPU or a display. Create and use it
// on the GUI thread. The movie owns mpv's render context (it must exist before the
// file loads, and goes before the mpv handle); the renderer draws through it and owns
// its frame-ready notification. One renderer per movie at a time. Destroy it before
// the movie where you can; one that outlives its movie draws nothing and is harmless.
class MpvFrameRenderer {
  public:
    // Throws std::runtime_error when the movie has no render context to draw through.
    explicit MpvFrameRenderer(MpvMovie& movie);
    ~MpvFrameRenderer();
    MpvFrameRenderer(const MpvFrameRenderer&) = delete;
    MpvFrameRenderer& operator=(const MpvFrameRenderer&) = delete;

    // Called from any thread whenever a new frame is ready; it must only post work
    // to the GUI thread (e.g. QMetaObject::invokeMethod with Qt::QueuedConnection).
    void setFrameReadyCallback(std::function<void()> callback);

    // Renders the current frame at `size` (pixels); a null image when there is nothing
    // to draw. GUI thread only. The renderer draws into its own buffers again once no
    // image returned from them is held any more: a frame that is kept never changes.
    QImage render(QSize size);

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace vistrel
