#pragma once

#include "media/movies/MovieFrames.h"
#include "movies/MpvPlayer.h"

#include <QImage>
#include <QSize>
#include <array>
#include <functional>
#include <memory>

namespace vistrel {

class MpvMovie;

// Draws the frames of one movie into images through libmpv's software render API,
// so movies show the same way with or without a GPU or a display. Create and use it
// on the GUI thread. The player owns mpv's render context (it must exist before a file
// loads, and goes before the mpv handle); the renderer draws through it while its movie
// is the one shown, and draws nothing once its movie is gone or retired.
class MpvFrameRenderer final : public MovieFrames {
  public:
    // Throws std::runtime_error when the player has no render context to draw through.
    explicit MpvFrameRenderer(MpvMovie& movie);
    ~MpvFrameRenderer() override;
    MpvFrameRenderer(const MpvFrameRenderer&) = delete;
    MpvFrameRenderer& operator=(const MpvFrameRenderer&) = delete;

    void setFrameReadyCallback(std::function<void()> callback) override;
    // The renderer draws into its own buffers again once no image returned from them is
    // held any more: a frame that is kept never changes.
    QImage render(QSize size) override;

  private:
    bool drawsNow() const;
    // A buffer of `size` that nobody but the renderer holds.
    QImage& unsharedBuffer(QSize size);

    std::weak_ptr<MpvMovie> m_movie;
    std::shared_ptr<MpvPlayer> m_player;
    MpvPlayer::Load m_load;
    // The movie is open, so its tracks are chosen: a sound-only movie stays without
    // pictures for as long as it is rendered.
    bool m_hasVideo;
    std::array<QImage, 2> m_buffers;
    std::size_t m_next = 0;
};

} // namespace vistrel
