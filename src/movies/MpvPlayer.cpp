#include "movies/MpvPlayer.h"

#include "media/support/GuiThread.h"
#include "movies/MpvLog.h"
#include "movies/MpvMovie.h"
#include "movies/MpvProperties.h"
#include "movies/MpvSoftwareRender.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>
#include <array>
#include <chrono>
#include <clocale>
#include <mpv/client.h>
#include <mpv/render.h>
#include <utility>

namespace vistrel {

namespace {

// How long opening may take before the file counts as unplayable.
constexpr std::chrono::seconds openTimeout{10};
constexpr std::uint64_t eofReply = 1;
// Frames nobody draws are drawn this small, only so mpv goes on.
constexpr int scratchSide = 16;

// Set before mpv_initialize. The video output is the render API, so frames are drawn
// by the view; the player starts paused and keeps the last frame at the end.
constexpr std::array<std::pair<const char*, const char*>, 19> playerOptions{{
    {"config", "no"},
    {"terminal", "no"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"osc", "no"},
    {"load-scripts", "no"},
    {"ytdl", "no"},
    // The player stays when a file ends or fails, ready for the next.
    {"idle", "yes"},
    {"vo", "libmpv"},
    // Frames fill the whole target: the view is sized to the movie's shape, so only a
    // stretch the user asked for changes it, and that stretch must show.
    {"keepaspect", "no"},
    {"hwdec", "no"},
    {"gpu-hwdec-interop", "no"},
    {"keep-open", "yes"},
    {"pause", "yes"},
    // Without a sound device the picture still plays, timed by a null output.
    {"audio-fallback-to-null", "yes"},
    // Cover art is not a picture track: sound files stay without a natural size.
    {"audio-display", "no"},
    {"osd-level", "0"},
    {"osd-bar", "no"},
    {"sub-auto", "no"},
}};

// What a fresh movie starts with. mpv keeps these across files, and the movie before
// may have changed any of them.
constexpr std::array<std::pair<const char*, const char*>, 5> playbackDefaults{{
    {"pause", "yes"},
    {"speed", "1"},
    {"play-dir", "forward"},
    {"volume-max", "100"},
    {"volume", "100"},
}};

} // namespace

// mpv_create() refuses to run under a numeric locale other than "C" (it parses and
// prints numbers with the C library), and QApplication adopts the user's. Qt formats
// numbers with its own QLocale, so nothing else notices.
void MpvPlayer::useCNumericLocale() {
    std::setlocale(LC_NUMERIC, "C");
}

std::shared_ptr<MpvPlayer> MpvPlayer::create(std::shared_ptr<const EndHandler> endHandler) {
    std::shared_ptr<MpvPlayer> player(new MpvPlayer(std::move(endHandler)));
    if (!player->start())
        return nullptr;
    return player;
}

MpvPlayer::MpvPlayer(std::shared_ptr<const EndHandler> endHandler)
    : m_endHandler(std::move(endHandler)), m_scratch(scratchSide, scratchSide, QImage::Format_RGB32) {}

MpvPlayer::~MpvPlayer() {
    // Order matters: no callback may reach a freed player (mpv serialises them with
    // these calls), and the render context must go before its handle.
    if (m_handle != nullptr)
        mpv_set_wakeup_callback(m_handle, nullptr, nullptr);
    if (m_renderContext != nullptr) {
        mpv_render_context_set_update_callback(m_renderContext, nullptr, nullptr);
        mpv_render_context_free(m_renderContext);
    }
    if (m_handle != nullptr)
        mpv_terminate_destroy(m_handle);
}

bool MpvPlayer::start() {
    m_handle = mpv_create();
    if (m_handle == nullptr) {
        qCWarning(lcMpv) << "mpv could not create a player";
        return false;
    }
    // An option mpv refuses leaves its default, which still plays.
    for (const auto& [name, value] : playerOptions)
        MpvLog::succeeded(mpv_set_option_string(m_handle, name, value), "set option", name);
    if (!MpvLog::succeeded(mpv_initialize(m_handle), "initialize"))
        return false;
    MpvLog::succeeded(mpv_request_log_messages(m_handle, "warn"), "request log messages");
    createRenderContext();
    // Without it the end of a movie would never be told.
    if (!MpvLog::succeeded(mpv_observe_property(m_handle, eofReply, "eof-reached", MPV_FORMAT_FLAG),
                           "observe", "eof-reached"))
        return false;
    mpv_set_wakeup_callback(m_handle, &MpvPlayer::onWakeup, this);
    return true;
}

void MpvPlayer::createRenderContext() {
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (!MpvLog::succeeded(mpv_render_context_create(&m_renderContext, m_handle, params), "create",
                           "software render context")) {
        m_renderContext = nullptr;
        // A video output of its own keeps the picture track alive for frame capture.
        MpvLog::succeeded(mpv_set_option_string(m_handle, "vo", "null"), "set option", "vo");
        return;
    }
    mpv_render_context_set_update_callback(m_renderContext, &MpvPlayer::onRenderUpdate, this);
}

// ---------------------------------------------------------------- opening

void MpvPlayer::open(const std::string& path, MovieEngine::Opened opened) {
    retireShown();
    supersedeOpening();
    const Load load = ++m_loads;
    // A pipe or a device named like a movie would hold mpv's demuxer: regular files only.
    resetPlayback();
    const std::uint64_t request = nextRequest();
    const char* command[] = {"loadfile", path.c_str(), "replace", nullptr};
    if (!QFileInfo(QString::fromStdString(path)).isFile() ||
        !MpvLog::succeeded(mpv_command_async(m_handle, request, command), "load", path.c_str())) {
        stopFile(); // what played before must not go on behind the failure
        GuiThread::post([opened = std::move(opened)] { opened(nullptr); });
        return;
    }
    m_opening = Opening{load, path, std::move(opened), request, std::nullopt};
    watchOpening(load);
}

// Requests go in order: these settle before the next file starts.
void MpvPlayer::resetPlayback() {
    for (const auto& [name, value] : playbackDefaults) {
        const char* data = value;
        MpvLog::succeeded(mpv_set_property_async(m_handle, nextRequest(), name, MPV_FORMAT_STRING, &data),
                          "set", name);
    }
}

void MpvPlayer::retireShown() {
    m_shown = 0;
    m_shownMovie.reset();
    const std::lock_guard lock(m_frameMutex);
    m_frameDrawer = nullptr;
    m_frameReady = nullptr;
}

// Whoever waits on an earlier opening hears that it came to nothing; posted, since that
// caller may be the one opening now.
void MpvPlayer::supersedeOpening() {
    if (!m_opening)
        return;
    GuiThread::post([opened = std::move(m_opening->opened)] { opened(nullptr); });
    m_opening.reset();
}

void MpvPlayer::release(Load load) {
    if (!isShown(load))
        return;
    retireShown();
    stopFile();
}

void MpvPlayer::stopFile() {
    const char* command[] = {"stop", nullptr};
    MpvLog::succeeded(mpv_command_async(m_handle, nextRequest(), command), "stop");
}

void MpvPlayer::watchOpening(Load load) {
    QTimer::singleShot(openTimeout, QCoreApplication::instance(), [weak = weak_from_this(), load] {
        if (const std::shared_ptr<MpvPlayer> player = weak.lock())
            player->openingTimedOut(load);
    });
}

// A file whose first frame is slow to come is still a movie; one that never loaded is not.
void MpvPlayer::openingTimedOut(Load load) {
    if (!m_opening || m_opening->load != load)
        return;
    const bool loaded = m_opening->entry && *m_opening->entry == m_playingEntry && m_entryLoaded;
    if (!loaded)
        stopFile();
    const Tell tell = loaded ? finishOpening() : failOpening("took too long to load");
    tell();
}

// ---------------------------------------------------------------- events

void MpvPlayer::onWakeup(void* context) {
    static_cast<MpvPlayer*>(context)->postDrain();
}

void MpvPlayer::postDrain() {
    postOnce(m_drainPosted, &MpvPlayer::drainEvents);
}

// At most one of each kind waits in the GUI queue, so mpv's callbacks cannot flood it.
void MpvPlayer::postOnce(std::atomic<bool>& posted, void (MpvPlayer::*work)()) {
    if (posted.exchange(true))
        return;
    GuiThread::post([weak = weak_from_this(), work] {
        if (const std::shared_ptr<MpvPlayer> player = weak.lock())
            ((*player).*work)();
    });
}

void MpvPlayer::drainEvents() {
    m_drainPosted = false;
    for (;;) {
        const mpv_event* event = mpv_wait_event(m_handle, 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        // The event is consumed before anyone is told: a handler may run a nested event
        // loop that drains again, which invalidates `event`.
        if (const Tell tell = handleEvent(*event))
            tell();
    }
}

MpvPlayer::Tell MpvPlayer::handleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_LOG_MESSAGE:
        MpvLog::message(*static_cast<const mpv_event_log_message*>(event.data));
        return {};
    case MPV_EVENT_START_FILE:
        m_playingEntry = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        m_entryLoaded = false;
        m_entryRestarted = false;
        return {};
    case MPV_EVENT_FILE_LOADED:
        m_entryLoaded = true;
        return checkOpening();
    case MPV_EVENT_PLAYBACK_RESTART:
        m_entryRestarted = m_entryLoaded;
        if (const std::shared_ptr<MpvMovie> movie = shownMovie())
            movie->playbackRestarted();
        return checkOpening();
    case MPV_EVENT_END_FILE:
        return fileEnded(event);
    case MPV_EVENT_COMMAND_REPLY:
        if (m_opening && event.reply_userdata == m_opening->request)
            return loadReplied(event);
        if (const std::shared_ptr<MpvMovie> movie = shownMovie(); movie && movie->commandReplied(event))
            return {};
        MpvLog::succeeded(event.error, "command");
        return {};
    case MPV_EVENT_SET_PROPERTY_REPLY:
        MpvLog::succeeded(event.error, "set", "a playback default");
        return {};
    case MPV_EVENT_PROPERTY_CHANGE:
        return event.reply_userdata == eofReply ? endOfFileChanged(event) : Tell{};
    default:
        return {};
    }
}

MpvPlayer::Tell MpvPlayer::fileEnded(const mpv_event& event) {
    const auto& ended = *static_cast<const mpv_event_end_file*>(event.data);
    if (ended.playlist_entry_id == m_playingEntry) {
        m_playingEntry = -1;
        m_entryLoaded = false;
        m_entryRestarted = false;
    }
    if (!m_opening || m_opening->entry != ended.playlist_entry_id)
        return {};
    if (ended.reason == MPV_END_FILE_REASON_ERROR)
        MpvLog::succeeded(ended.error, "play", m_opening->path.c_str());
    return failOpening("ended before it was ready");
}

MpvPlayer::Tell MpvPlayer::loadReplied(const mpv_event& event) {
    if (!MpvLog::succeeded(event.error, "load", m_opening->path.c_str()))
        return failOpening("was refused");
    const mpv_node& result = static_cast<const mpv_event_command*>(event.data)->result;
    const mpv_node* entry = MpvProperties::mapValue(result, "playlist_entry_id");
    if (entry == nullptr || entry->format != MPV_FORMAT_INT64)
        return failOpening("has no playlist entry");
    m_opening->entry = entry->u.int64;
    return checkOpening();
}

// Ready once the file loaded and its first frame (or first sound) is ready, so a fresh
// movie can be measured and drawn at once.
MpvPlayer::Tell MpvPlayer::checkOpening() {
    if (!m_opening || m_opening->entry != m_playingEntry || !m_entryLoaded || !m_entryRestarted)
        return {};
    return finishOpening();
}

MpvPlayer::Tell MpvPlayer::finishOpening() {
    Opening opening = std::move(*m_opening);
    m_opening.reset();
    if (!hasPlayableTrack()) {
        stopFile();
        qCInfo(lcMpv) << "no picture or sound to play in" << opening.path.c_str();
        return [opened = std::move(opening.opened)] { opened(nullptr); };
    }
    auto movie = std::make_shared<MpvMovie>(shared_from_this(), opening.load, opening.path);
    m_shown = opening.load;
    m_shownMovie = movie;
    return [movie, opened = std::move(opening.opened)] { opened(movie); };
}

MpvPlayer::Tell MpvPlayer::failOpening(const char* reason) {
    qCInfo(lcMpv) << m_opening->path.c_str() << reason;
    MovieEngine::Opened opened = std::move(m_opening->opened);
    m_opening.reset();
    return [opened = std::move(opened)] { opened(nullptr); };
}

// The movie is held while its end is told, so the handler may drop the last reference.
MpvPlayer::Tell MpvPlayer::endOfFileChanged(const mpv_event& event) {
    const std::shared_ptr<MpvMovie> movie = shownMovie();
    if (!movie || !movie->noteEndOfFile(*static_cast<const mpv_event_property*>(event.data)))
        return {};
    // mpv pauses at the end only once the sound output has drained; whoever hears of
    // the end must find the movie stopped already.
    movie->stop();
    return [movie, handler = m_endHandler] {
        if (handler && *handler)
            (*handler)(*movie);
    };
}

bool MpvPlayer::hasPlayableTrack() const {
    return MpvProperties::isTrackSelected(m_handle, "vid") || MpvProperties::isTrackSelected(m_handle, "aid");
}

std::shared_ptr<MpvMovie> MpvPlayer::shownMovie() const {
    return m_shown != 0 ? m_shownMovie.lock() : nullptr;
}

// ---------------------------------------------------------------- frames

void MpvPlayer::setFrameReady(const void* drawer, Load load, std::function<void()> callback) {
    if (!isShown(load))
        return;
    const std::lock_guard lock(m_frameMutex);
    m_frameDrawer = drawer;
    m_frameReady = std::move(callback);
}

void MpvPlayer::clearFrameReady(const void* drawer) {
    const std::lock_guard lock(m_frameMutex);
    if (m_frameDrawer != drawer)
        return;
    m_frameDrawer = nullptr;
    m_frameReady = nullptr;
}

// Called on one of mpv's threads.
void MpvPlayer::onRenderUpdate(void* context) {
    auto* player = static_cast<MpvPlayer*>(context);
    {
        const std::lock_guard lock(player->m_frameMutex);
        if (player->m_frameReady) {
            player->m_frameReady();
            return;
        }
    }
    player->postOnce(player->m_drawPosted, &MpvPlayer::drawUndrawnFrame);
}

// While a movie opens, or plays with no view, nobody draws it, and mpv's video output
// would wait for each frame to be drawn (a fifth of a second) before going on.
void MpvPlayer::drawUndrawnFrame() {
    m_drawPosted = false;
    {
        const std::lock_guard lock(m_frameMutex);
        if (m_frameReady)
            return; // a drawer took over since
    }
    mpv_render_context_update(m_renderContext);
    MpvSoftwareRender::into(m_renderContext, m_scratch, false);
}

} // namespace vistrel
