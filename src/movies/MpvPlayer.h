#pragma once

#include "media/modules/MovieEngine.h"

#include <QImage>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

struct mpv_handle;
struct mpv_render_context;
struct mpv_event;

namespace vistrel {

class MpvMovie;

// The one libmpv player behind every movie. Its handle and software render context
// are made once, and each movie is loaded into them in turn: mpv's threads, decoders
// and the memory they hold are reused instead of built and torn down per movie.
//
// Every opening is a load, numbered from 1. The movie handed out for a load commands the
// player only while its load is the one shown: opening another movie, or dropping the
// shown one, retires it, and a retired movie's calls do nothing. Only the shown movie's
// end is reported.
//
// Ownership: movies hold the player; the player holds its movies weakly. The render
// context exists from before the first file loads (mpv gives up on the picture when no
// context exists as a file loads) and goes before the handle.
//
// Threads: GUI thread only, but for create(). mpv's threads only post work to the GUI thread (a drain of
// the event queue, a draw of a frame nobody else draws); posted work holds the player weakly.
class MpvPlayer final : public std::enable_shared_from_this<MpvPlayer> {
  public:
    using Load = std::uint64_t;
    using EndHandler = MovieEngine::EndHandler;

    // nullptr when mpv cannot start. `endHandler` is read each time a movie ends, so its
    // owner may replace the function behind the pointer at any time. Any thread; the
    // process must be in the C numeric locale (see useCNumericLocale).
    static std::shared_ptr<MpvPlayer> create(std::shared_ptr<const EndHandler> endHandler);
    // mpv refuses to start under another numeric locale. GUI thread only: the locale is
    // the whole process's.
    static void useCNumericLocale();
    ~MpvPlayer();
    MpvPlayer(const MpvPlayer&) = delete;
    MpvPlayer& operator=(const MpvPlayer&) = delete;

    // Retires the shown movie and any opening still under way (whose `opened` gets
    // nullptr), then loads `path`. `opened` runs later, from the event loop.
    void open(const std::string& path, MovieEngine::Opened opened);
    bool isShown(Load load) const { return load != 0 && load == m_shown; }
    // The movie of `load` is gone: if it is shown, playback stops and the file is unloaded.
    void release(Load load);

    mpv_handle* handle() const { return m_handle; }
    // nullptr when mpv could not create a software render context.
    mpv_render_context* renderContext() const { return m_renderContext; }
    // Numbers an asynchronous command, so its reply finds its way back.
    std::uint64_t nextRequest() { return ++m_requests; }

    // New-frame notifications go to `drawer`'s callback while `load` is shown; without
    // one the player acknowledges frames itself, or mpv would stall waiting for a draw.
    void setFrameReady(const void* drawer, Load load, std::function<void()> callback);
    void clearFrameReady(const void* drawer);

  private:
    struct Opening {
        Load load = 0;
        std::string path;
        MovieEngine::Opened opened;
        std::uint64_t request = 0;
        // The playlist entry mpv made for the file, from the reply to the load.
        std::optional<std::int64_t> entry;
    };
    // What is told once an event is consumed (a handler may drain events again).
    using Tell = std::function<void()>;

    explicit MpvPlayer(std::shared_ptr<const EndHandler> endHandler);
    bool start();
    void createRenderContext();
    void resetPlayback();
    void retireShown();
    void supersedeOpening();
    void stopFile();
    void watchOpening(Load load);
    void openingTimedOut(Load load);
    Tell handleEvent(const mpv_event& event);
    Tell fileEnded(const mpv_event& event);
    Tell loadReplied(const mpv_event& event);
    Tell checkOpening();
    Tell finishOpening();
    Tell failOpening(const char* reason);
    Tell endOfFileChanged(const mpv_event& event);
    bool hasPlayableTrack() const;
    std::shared_ptr<MpvMovie> shownMovie() const;

    static void onWakeup(void* context);
    static void onRenderUpdate(void* context);
    void postDrain();
    void postOnce(std::atomic<bool>& posted, void (MpvPlayer::*work)());
    void drainEvents();
    void drawUndrawnFrame();

    std::shared_ptr<const EndHandler> m_endHandler;
    mpv_handle* m_handle = nullptr;
    mpv_render_context* m_renderContext = nullptr;
    std::uint64_t m_requests = 0;
    Load m_loads = 0;
    Load m_shown = 0;
    std::weak_ptr<MpvMovie> m_shownMovie;
    std::optional<Opening> m_opening;
    // The playlist entry mpv plays now and how far it got.
    std::int64_t m_playingEntry = -1;
    bool m_entryLoaded = false;
    bool m_entryRestarted = false;

    // Read on mpv's render thread: guarded by m_frameMutex.
    std::mutex m_frameMutex;
    const void* m_frameDrawer = nullptr;
    std::function<void()> m_frameReady;
    QImage m_scratch;
    // Set while a drain (or a draw) is posted and not yet run, so wakeups do not flood the GUI queue.
    std::atomic<bool> m_drainPosted{false};
    std::atomic<bool> m_drawPosted{false};
};

} // namespace vistrel
