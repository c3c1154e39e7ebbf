#pragma once

#include "media/Movie.h"
#include "media/MovieProbe.h"

#include <QImage>
#include <QSize>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

struct mpv_handle;
struct mpv_render_context;
struct mpv_event;
struct mpv_event_property;

namespace vistrel {

// A movie played by a libmpv handle of its own.
//
// Ownership: the movie owns its mpv handle and the handle's software render context.
// The render context exists from before the file is loaded (mpv cannot attach one to
// a video output that is already running), so frames can always be drawn by one
// MpvFrameRenderer and captured by currentFrameImage().
//
// Threads: create, use and destroy a movie on the GUI thread. mpv's threads only post
// a drain of the event queue to the GUI thread; the drain holds a strong reference, so
// an end handler may drop the last reference to the movie it is told about.
class MpvMovie final : public Movie, public std::enable_shared_from_this<MpvMovie> {
  public:
    using EndHandler = std::function<void(Movie&)>;

    // The opened movie, paused at its start with its first frame ready; nullptr for a
    // missing or damaged file, or one without any picture or sound. `endHandler` runs on
    // the GUI thread each time the movie plays to its end; it is read at that moment,
    // so its owner may replace the function behind the pointer at any time.
    static std::shared_ptr<MpvMovie> open(const std::string& path,
                                          std::shared_ptr<const EndHandler> endHandler = {});
    // Puts the process in the C numeric locale, which libmpv needs; open() does it too.
    // GUI thread only: the locale is shared by the whole process.
    static void useCNumericLocale();
    ~MpvMovie() override;
    MpvMovie(const MpvMovie&) = delete;
    MpvMovie& operator=(const MpvMovie&) = delete;

    float rate() const override;
    void setRate(float rate) override;
    std::int16_t volume() const override;
    void setVolume(std::int16_t volume) override;
    void play() override;
    void stop() override;
    bool isPlaying() const override;
    MovieTime duration() const override;
    MovieTime currentTime() const override;
    void setCurrentTime(MovieTime time) override;
    Size naturalSize() const override;
    std::string displayName() const override;
    std::shared_ptr<Picture> currentFrameImage() override;
    Attributes movieAttributes() const override;
    std::vector<TrackAttributes> tracks() const override;

    const std::string& path() const { return m_path; }
    // True when a picture track is playing (false for sound only).
    bool hasVideo() const;

    mpv_handle* handle() const { return m_handle; }
    // nullptr when mpv could not create a software render context (frames can then be
    // captured but not drawn).
    mpv_render_context* renderContext() const { return m_renderContext; }

  private:
    MpvMovie(std::string path, std::shared_ptr<const EndHandler> endHandler);

    bool load();
    QImage renderedFrame(QSize size) const;
    QImage screenshotFrame() const;
    void createRenderContext();
    bool waitUntilReady();
    bool hasPlayableTrack() const;
    void listenForEvents();
    static void onWakeup(void* context);
    void postDrain();
    void drainEvents();
    // True when the event tells that the movie reached its end.
    bool handleEvent(const mpv_event& event);
    bool noteEndOfFile(const mpv_event_property& property);
    const std::optional<MovieProbe::Facts>& facts() const;

    std::string m_path;
    std::shared_ptr<const EndHandler> m_endHandler;
    mpv_handle* m_handle = nullptr;
    mpv_render_context* m_renderContext = nullptr;
    std::int16_t m_volume = 256;
    bool m_atEnd = false;
    // Seeks are asynchronous: the target stands for the position until playback has
    // restarted after the last seek issued. Seeks are numbered from 1 as issued.
    std::optional<double> m_pendingSeek;
    std::uint64_t m_seeksIssued = 0;
    std::uint64_t m_seeksReplied = 0;
    // Set while a drain is posted and not yet run, so wakeups do not flood the GUI queue.
    std::atomic<bool> m_drainPosted{false};
    mutable bool m_probed = false;
    mutable std::optional<MovieProbe::Facts> m_facts;
};

} // namespace vistrel
