#include "core/capture/PictureSeries.h"

#include "core/platform/AuxiliaryWindows.h"

#include <climits>
#include <utility>

namespace vistrel {

namespace {

constexpr double secondsPerMinute = 60.0;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

PictureSeries::PictureSeries(Scheduler& scheduler, AuxiliaryWindows& windows, std::function<void()> takeFrame)
    : m_scheduler(scheduler), m_windows(windows), m_takeFrame(std::move(takeFrame)) {}

// A tick must not reach a series that is gone.
PictureSeries::~PictureSeries() {
    m_scheduler.cancel(m_timer);
}

int PictureSeries::leadingInteger(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && isBlank(text[at]))
        ++at;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        ++at;
    long long value = 0;
    for (; at < text.size() && isDigit(text[at]); ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > INT_MAX) {
            value = static_cast<long long>(INT_MAX) + 1;
            break;
        }
    }
    if (negative)
        return value > INT_MAX ? INT_MIN : static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

void PictureSeries::start() {
    if (running())
        return;
    const int perMinute = leadingInteger(m_shotsPerMinute);
    if (perMinute <= 0)
        return;
    m_timer = m_scheduler.scheduleRepeating(secondsPerMinute / perMinute, [this] { m_takeFrame(); });
    runningChanged.notify(true);
}

void PictureSeries::stop() {
    if (!running())
        return;
    m_scheduler.cancel(m_timer);
    m_timer = Scheduler::noTimer;
    runningChanged.notify(false);
}

void PictureSeries::showPanel() {
    m_windows.showSeriesPanel();
}

void PictureSeries::closePanel() {
    if (!running())
        m_windows.closeSeriesPanel();
}

void PictureSeries::setShotsPerMinute(const std::string& text) {
    if (text == m_shotsPerMinute)
        return;
    m_shotsPerMinute = text;
    shotsPerMinuteChanged.notify(m_shotsPerMinute);
}

void PictureSeries::setInfoText(const std::string& text) {
    if (text == m_infoText)
        return;
    m_infoText = text;
    infoTextChanged.notify(m_infoText);
}

// Any alert ends the series, also one of a single frame written while it runs.
void PictureSeries::frameFinished(const FrameReport& report) {
    if (report.outcome == FrameOutcome::platformFailure)
        return;
    if (report.outcome != FrameOutcome::written) {
        stop();
        return;
    }
    if (running())
        setInfoText(report.fileName);
}

} // namespace vistrel
