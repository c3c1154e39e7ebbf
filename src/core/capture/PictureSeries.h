#pragma once

#include "core/capture/FrameReport.h"
#include "core/events/Signal.h"
#include "core/platform/Scheduler.h"

#include <functional>
#include <string>

namespace vistrel {

class AuxiliaryWindows;

// A timed series of frames: while it runs, a repeating timer asks for a frame the
// entered number of times per minute, the first one interval after the start. It
// stops when told to or when a frame ends in an alert. The values its panel edits
// and shows are held here and announced through change events.
class PictureSeries {
public:
    // `takeFrame` asks for one frame; the series hears how it ended via frameFinished().
    PictureSeries(Scheduler& scheduler, AuxiliaryWindows& windows, std::function<void()> takeFrame);
    ~PictureSeries();
    PictureSeries(const PictureSeries&) = delete;
    PictureSeries& operator=(const PictureSeries&) = delete;

    // Starts at the rate shotsPerMinute begins with; a rate of 0 or less, or a series
    // already running, changes nothing.
    void start();
    void stop();
    bool running() const { return m_timer != Scheduler::noTimer; }

    void showPanel();
    // Closes the panel, but only while no series runs.
    void closePanel();

    // The rate as entered; read like C's atoi ("12abc" is 12, "abc" is 0).
    const std::string& shotsPerMinute() const { return m_shotsPerMinute; }
    void setShotsPerMinute(const std::string& text);
    // Held for the panel; frames are always written at their own size.
    double pictureSize() const { return m_pictureSize; }
    void setPictureSize(double size) { m_pictureSize = size; }
    // The file name of the last frame written while a series ran.
    const std::string& infoText() const { return m_infoText; }
    void setInfoText(const std::string& text);

    // Every frame's end, the series' own and single ones alike.
    void frameFinished(const FrameReport& report);

    Signal<bool> runningChanged;
    Signal<std::string> infoTextChanged;
    Signal<std::string> shotsPerMinuteChanged;

    // The integer `text` begins with, after leading blanks and an optional sign; 0 when
    // it begins with none. Values beyond the int range are held at its ends.
    static int leadingInteger(const std::string& text);

private:
    Scheduler& m_scheduler;
    AuxiliaryWindows& m_windows;
    std::function<void()> m_takeFrame;
    Scheduler::TimerId m_timer = Scheduler::noTimer;
    std::string m_shotsPerMinute;
    double m_pictureSize = 100.0;
    std::string m_infoText;
};

} // namespace vistrel
