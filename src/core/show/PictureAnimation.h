#pragma once

#include "core/geometry/Geometry.h"
#include "core/media/AnimationFrames.h"
#include "core/platform/Scheduler.h"
#include "core/show/ShowRequests.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>

namespace vistrel {

class BackgroundWork;
class PictureService;
class PictureView;

// Plays the frames of the animated picture on screen with the file's own delays and
// number of plays. The first frame is already shown when it starts; the following ones
// are decoded on the executor a few at a time ahead of the clock (never all of them: a
// long animation holds at most `framesAhead` decoded frames besides the one shown), and
// each reaches the view as a new picture. A damaged frame ends the animation on the
// last good one. Lives on the GUI thread.
class PictureAnimation {
  public:
    static constexpr std::size_t framesAhead = 3;

    PictureAnimation(Scheduler& scheduler, BackgroundWork& work, PictureService& pictures, PictureView& view);
    ~PictureAnimation();
    PictureAnimation(const PictureAnimation&) = delete;
    PictureAnimation& operator=(const PictureAnimation&) = delete;

    // Animates `path`, whose first frame the view shows now; ends an animation under way.
    void start(const std::string& path, Size neededSize);
    // Leaves the frame on screen where it is.
    void stop();
    // Holds the frame on screen, or goes on from it; nothing without an animation.
    void pauseOrContinue();

    bool isRunning() const { return m_source != nullptr; }
    bool isPaused() const { return m_paused; }
    // Decoded frames waiting for their turn.
    std::size_t framesWaiting() const { return m_ahead.size(); }

    // How long a frame with the file's `delayMilliseconds` stays: browsers and other
    // viewers show delays under 20 ms (zero and negative ones too) for 100 ms.
    static double frameDuration(int delayMilliseconds);

  private:
    struct Frame {
        std::shared_ptr<Picture> picture;
        double duration = 0.0;
    };
    // The file's frames, opened by the first decode; one decode uses it at a time.
    struct Source {
        std::string path;
        Size neededSize;
        std::unique_ptr<AnimationFrames> frames;
    };
    struct Decoded {
        AnimationStep step;
        std::optional<int> plays;
    };
    static Decoded decodeStep(PictureService& pictures, Source& source, bool rewindFirst);

    void decodeAhead();
    void arrived(const Decoded& decoded);
    void frameArrived(Frame frame);
    void playEnded();
    void showNextFrame();
    void waitFor(double duration);
    bool morePlays() const;

    Scheduler& m_scheduler;
    BackgroundWork& m_work;
    PictureService& m_pictures;
    PictureView& m_view;

    std::shared_ptr<Source> m_source; // shared with the one decode under way
    ShowRequests::Ticket m_run;
    std::deque<Frame> m_ahead;
    Scheduler::TimerId m_timer = Scheduler::noTimer;
    std::optional<int> m_plays;
    int m_playsStarted = 0;
    double m_shownDuration = 0.0; // of the frame on screen; 0 while its delay is unknown
    bool m_firstFrameShown = false; // the first frame decoded is the one already on screen
    bool m_due = false;             // the frame on screen has had its time
    bool m_decoding = false;
    bool m_rewindFirst = false;
    bool m_frameInPlay = false;     // the play under way gave a frame
    bool m_framesEnded = false;     // no more frames will come
    bool m_paused = false;
    // Declared last: destroyed first, so a decode still out finds its ticket void.
    ShowRequests m_runs;
};

} // namespace vistrel
