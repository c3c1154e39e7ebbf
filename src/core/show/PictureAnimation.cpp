#include "core/show/PictureAnimation.h"

#include "core/media/PictureService.h"
#include "core/platform/BackgroundWork.h"
#include "core/view/PictureView.h"

#include <exception>
#include <utility>

namespace vistrel {

namespace {

constexpr int shortestDelayMilliseconds = 20;
constexpr double flooredDuration = 0.1;

} // namespace

PictureAnimation::PictureAnimation(Scheduler& scheduler, BackgroundWork& work, PictureService& pictures,
                                   PictureView& view)
    : m_scheduler(scheduler), m_work(work), m_pictures(pictures), m_view(view) {}

PictureAnimation::~PictureAnimation() {
    m_scheduler.cancel(m_timer);
}

double PictureAnimation::frameDuration(int delayMilliseconds) {
    if (delayMilliseconds < shortestDelayMilliseconds)
        return flooredDuration;
    return delayMilliseconds / 1000.0;
}

void PictureAnimation::start(const std::string& path, Size neededSize) {
    stop();
    m_source = std::make_shared<Source>(Source{path, neededSize, nullptr});
    m_run = m_runs.begin();
    m_playsStarted = 1;
    decodeAhead();
}

void PictureAnimation::stop() {
    m_runs.supersedeAll();
    m_scheduler.cancel(std::exchange(m_timer, Scheduler::noTimer));
    m_source.reset();
    m_ahead.clear();
    m_plays.reset();
    m_playsStarted = 0;
    m_shownDuration = 0.0;
    m_firstFrameShown = m_due = m_decoding = m_rewindFirst = m_frameInPlay = m_framesEnded = m_paused = false;
}

void PictureAnimation::pauseOrContinue() {
    if (!isRunning())
        return;
    m_paused = !m_paused;
    if (m_paused) {
        m_scheduler.cancel(std::exchange(m_timer, Scheduler::noTimer));
    } else if (m_due) {
        showNextFrame();
    } else if (m_shownDuration > 0.0) {
        // The timer's remainder is not known: the frame on screen gets its whole delay again.
        waitFor(m_shownDuration);
    }
}

// One decode at a time: the frames come in file order, and a frame that would not be
// shown for a while is not decoded yet.
void PictureAnimation::decodeAhead() {
    if (!m_source || m_decoding || m_framesEnded || m_ahead.size() >= framesAhead)
        return;
    m_decoding = true;
    m_work.run(
        [this, source = m_source, ticket = m_run, rewindFirst = std::exchange(m_rewindFirst, false),
         &pictures = m_pictures]() -> BackgroundWork::Finish {
            if (!ticket.isCurrent())
                return {};
            Decoded decoded = decodeStep(pictures, *source, rewindFirst);
            return [this, ticket, decoded = std::move(decoded)] {
                if (ticket.isCurrent())
                    arrived(decoded);
            };
        },
        WorkPriority::animation);
}

// On a worker. A decoder that throws (out of memory) damages the frame it was decoding.
PictureAnimation::Decoded PictureAnimation::decodeStep(PictureService& pictures, Source& source, bool rewindFirst) {
    Decoded decoded;
    decoded.step.kind = AnimationStep::Kind::damaged;
    try {
        if (!source.frames)
            source.frames = pictures.openAnimation(source.path, source.neededSize);
        if (!source.frames || (rewindFirst && !source.frames->rewind()))
            return decoded;
        decoded.step = source.frames->next();
        decoded.plays = source.frames->plays();
    } catch (const std::exception&) {
        decoded.step = {};
        decoded.step.kind = AnimationStep::Kind::damaged;
    }
    if (decoded.step.kind == AnimationStep::Kind::frame && !decoded.step.picture)
        decoded.step.kind = AnimationStep::Kind::damaged;
    return decoded;
}

void PictureAnimation::arrived(const Decoded& decoded) {
    m_decoding = false;
    m_plays = decoded.plays;
    switch (decoded.step.kind) {
    case AnimationStep::Kind::frame:
        frameArrived({decoded.step.picture, frameDuration(decoded.step.delayMilliseconds)});
        break;
    case AnimationStep::Kind::end:
        playEnded();
        break;
    case AnimationStep::Kind::damaged:
        m_framesEnded = true;
        break;
    }
    if (m_due && !m_paused)
        showNextFrame();
    else if (m_framesEnded && m_ahead.empty() && m_timer == Scheduler::noTimer && !m_paused)
        stop(); // the first frame was the only good one
    decodeAhead();
}

// The first frame of the file is on screen already: only its delay is news.
void PictureAnimation::frameArrived(Frame frame) {
    m_frameInPlay = true;
    if (std::exchange(m_firstFrameShown, true)) {
        m_ahead.push_back(std::move(frame));
        return;
    }
    m_shownDuration = frame.duration;
    if (!m_paused)
        waitFor(m_shownDuration);
}

// A play without a single frame would only spin: it ends the animation.
void PictureAnimation::playEnded() {
    if (!std::exchange(m_frameInPlay, false) || !morePlays()) {
        m_framesEnded = true;
        return;
    }
    ++m_playsStarted;
    m_rewindFirst = true;
}

bool PictureAnimation::morePlays() const {
    return !m_plays || m_playsStarted < *m_plays;
}

// When the next frame is late, it is shown as soon as it arrives; when none will come,
// the animation ends on the frame on screen.
void PictureAnimation::showNextFrame() {
    m_due = true;
    if (m_ahead.empty()) {
        if (m_framesEnded)
            stop();
        return;
    }
    Frame next = std::move(m_ahead.front());
    m_ahead.pop_front();
    m_due = false;
    m_view.setCiImage(std::move(next.picture));
    m_shownDuration = next.duration;
    waitFor(m_shownDuration);
    decodeAhead();
}

void PictureAnimation::waitFor(double duration) {
    m_scheduler.cancel(m_timer);
    m_timer = m_scheduler.scheduleOnce(duration, [this] {
        m_timer = Scheduler::noTimer;
        showNextFrame();
    });
}

} // namespace vistrel
