#include "media/MpvMovie.h"

#include "media/Bgr0Frame.h"
#include "media/MpvLog.h"
#include "media/MpvSoftwareRender.h"
#include "media/QtPicture.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMetaObject>
#include <algorithm>
#include <array>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstring>
#include <mpv/client.h>
#include <mpv/render.h>
#include <utility>

namespace vistrel {

namespace {

// How long opening may take before the file counts as unplayable.
constexpr std::chrono::seconds openTimeout{10};
// mpv's `speed` accepts 0.01 to 100 only.
constexpr float slowestRate = 0.01f;
constexpr double fastestRate = 100.0;
// mpv's `volume-max` ranges from 100 to 1000 percent.
constexpr double normalVolumeMaximum = 100.0;
constexpr double highestVolumeMaximum = 1000.0;
constexpr double volumeUnitsPerPercent = 2.56;
constexpr std::uint64_t eofReply = 1;
// How often the opening looks for a frame to draw.
constexpr double openingPollSeconds = 0.005;

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

std::optional<double> readDouble(mpv_handle* handle, const char* name) {
    double value = 0.0;
    if (mpv_get_property(handle, name, MPV_FORMAT_DOUBLE, &value) < 0)
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> readInt(mpv_handle* handle, const char* name) {
    std::int64_t value = 0;
    if (mpv_get_property(handle, name, MPV_FORMAT_INT64, &value) < 0)
        return std::nullopt;
    return value;
}

bool readFlag(mpv_handle* handle, const char* name) {
    int value = 0;
    mpv_get_property(handle, name, MPV_FORMAT_FLAG, &value);
    return value != 0;
}

std::string readString(mpv_handle* handle, const char* name) {
    char* value = mpv_get_property_string(handle, name);
    if (value == nullptr)
        return {};
    std::string result(value);
    mpv_free(value);
    return result;
}

bool writeDouble(mpv_handle* handle, const char* name, double value) {
    return MpvLog::succeeded(mpv_set_property(handle, name, MPV_FORMAT_DOUBLE, &value), "set", name);
}

bool writeFlag(mpv_handle* handle, const char* name, bool value) {
    int flag = value ? 1 : 0;
    return MpvLog::succeeded(mpv_set_property(handle, name, MPV_FORMAT_FLAG, &flag), "set", name);
}

bool isTrackSelected(mpv_handle* handle, const char* property) {
    const std::string track = readString(handle, property);
    return !track.empty() && track != "no";
}

const mpv_node* mapValue(const mpv_node& map, const char* key) {
    if (map.format != MPV_FORMAT_NODE_MAP || map.u.list == nullptr)
        return nullptr;
    for (int i = 0; i < map.u.list->num; ++i) {
        if (std::strcmp(map.u.list->keys[i], key) == 0)
            return &map.u.list->values[i];
    }
    return nullptr;
}

std::int64_t mapInt(const mpv_node& map, const char* key) {
    const mpv_node* value = mapValue(map, key);
    return value != nullptr && value->format == MPV_FORMAT_INT64 ? value->u.int64 : 0;
}

// The image of a `screenshot-raw` result; null when it is not the bgr0 frame asked for.
QImage screenshotImage(const mpv_node& result) {
    const mpv_node* format = mapValue(result, "format");
    const mpv_node* data = mapValue(result, "data");
    if (format == nullptr || format->format != MPV_FORMAT_STRING ||
        std::strcmp(format->u.string, "bgr0") != 0 || data == nullptr ||
        data->format != MPV_FORMAT_BYTE_ARRAY)
        return {};
    const std::int64_t width = mapInt(result, "w");
    const std::int64_t height = mapInt(result, "h");
    const std::int64_t stride = mapInt(result, "stride");
    const auto available = static_cast<std::int64_t>(data->u.ba->size);
    if (width <= 0 || height <= 0 || stride < width * 4 || available < stride * height)
        return {};
    return Bgr0Frame::copy(data->u.ba->data, static_cast<int>(width), static_cast<int>(height),
                           static_cast<std::size_t>(stride));
}

// While a movie opens nobody draws it yet, and mpv's video output would wait for the
// first frame to be drawn (a fifth of a second) before reporting it ready. This
// draws those frames into a scratch surface; it lives only during the opening.
class OpeningFrames {
  public:
    explicit OpeningFrames(mpv_render_context* context) : m_context(context) {
        if (m_context != nullptr)
            mpv_render_context_set_update_callback(m_context, &OpeningFrames::onUpdate, this);
    }
    ~OpeningFrames() {
        if (m_context != nullptr)
            mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
    }
    OpeningFrames(const OpeningFrames&) = delete;
    OpeningFrames& operator=(const OpeningFrames&) = delete;

    void renderPending() {
        if (m_context == nullptr || !m_pending.exchange(false))
            return;
        mpv_render_context_update(m_context);
        int size[2] = {scratchSide, scratchSide};
        char format[] = "bgr0";
        std::size_t stride = scratchSide * 4;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_SW_SIZE, size},      {MPV_RENDER_PARAM_SW_FORMAT, format},
            {MPV_RENDER_PARAM_SW_STRIDE, &stride}, {MPV_RENDER_PARAM_SW_POINTER, m_scratch.data()},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context_render(m_context, params);
    }

  private:
    static constexpr int scratchSide = 16;

    // Called on one of mpv's threads.
    static void onUpdate(void* self) { static_cast<OpeningFrames*>(self)->m_pending = true; }

    mpv_render_context* m_context;
    std::atomic<bool> m_pending{false};
    alignas(64) std::array<std::uint32_t, scratchSide * scratchSide> m_scratch{};
};

} // namespace

void MpvMovie::useCNumericLocale() {
    // mpv_create() refuses to run under a numeric locale other than "C" (it parses and
    // prints numbers with the C library), and QApplication adopts the user's locale.
    // Qt itself formats numbers with its own QLocale, so nothing else notices.
    std::setlocale(LC_NUMERIC, "C");
}

std::shared_ptr<MpvMovie> MpvMovie::open(const std::string& path,
                                         std::shared_ptr<const EndHandler> endHandler) {
    if (!QFileInfo(QString::fromStdString(path)).isFile())
        return nullptr;
    useCNumericLocale();
    std::shared_ptr<MpvMovie> movie(new MpvMovie(path, std::move(endHandler)));
    if (!movie->load())
        return nullptr;
    movie->listenForEvents();
    return movie;
}

MpvMovie::MpvMovie(std::string path, std::shared_ptr<const EndHandler> endHandler)
    : m_path(std::move(path)), m_endHandler(std::move(endHandler)) {}

MpvMovie::~MpvMovie() {
    // Order matters: no wakeup may reach a freed movie (mpv serialises the callback with
    // this call), and the render context must go before its handle.
    if (m_handle != nullptr)
        mpv_set_wakeup_callback(m_handle, nullptr, nullptr);
    if (m_renderContext != nullptr) {
        mpv_render_context_set_update_callback(m_renderContext, nullptr, nullptr);
        mpv_render_context_free(m_renderContext);
    }
    if (m_handle != nullptr)
        mpv_terminate_destroy(m_handle);
}

bool MpvMovie::load() {
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
    // Without it the end of the movie would never be told.
    if (!MpvLog::succeeded(mpv_observe_property(m_handle, eofReply, "eof-reached", MPV_FORMAT_FLAG),
                           "observe", "eof-reached"))
        return false;
    const char* command[] = {"loadfile", m_path.c_str(), nullptr};
    if (!MpvLog::succeeded(mpv_command(m_handle, command), "load", m_path.c_str()))
        return false;
    return waitUntilReady() && hasPlayableTrack();
}

void MpvMovie::createRenderContext() {
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (!MpvLog::succeeded(mpv_render_context_create(&m_renderContext, m_handle, params),
                           "create", "software render context")) {
        m_renderContext = nullptr;
        // A video output of its own keeps the picture track alive for frame capture.
        MpvLog::succeeded(mpv_set_option_string(m_handle, "vo", "null"), "set option", "vo");
    }
}

// Waits for the file to load and its first frame (or first sound) to be ready, so a
// fresh movie can be measured and drawn at once. Runs before any wakeup is installed.
bool MpvMovie::waitUntilReady() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + openTimeout;
    OpeningFrames openingFrames(m_renderContext);
    bool loaded = false;
    for (Clock::time_point now = Clock::now(); now < deadline; now = Clock::now()) {
        openingFrames.renderPending();
        const double remaining = std::chrono::duration<double>(deadline - now).count();
        const mpv_event* event = mpv_wait_event(m_handle, std::min(remaining, openingPollSeconds));
        switch (event->event_id) {
        case MPV_EVENT_FILE_LOADED:
            loaded = true;
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            if (loaded)
                return true;
            break;
        case MPV_EVENT_END_FILE:
        case MPV_EVENT_SHUTDOWN:
            return false;
        case MPV_EVENT_LOG_MESSAGE:
            MpvLog::message(*static_cast<const mpv_event_log_message*>(event->data));
            break;
        default:
            break;
        }
    }
    // A file whose first frame is slow to come is still a movie; it is measured later.
    return loaded;
}

bool MpvMovie::hasPlayableTrack() const {
    return isTrackSelected(m_handle, "vid") || isTrackSelected(m_handle, "aid");
}

void MpvMovie::listenForEvents() {
    mpv_set_wakeup_callback(m_handle, &MpvMovie::onWakeup, this);
    // Events queued while the callback was not yet installed wake nobody.
    postDrain();
}

// Called on one of mpv's threads: posts, nothing else.
void MpvMovie::onWakeup(void* context) {
    static_cast<MpvMovie*>(context)->postDrain();
}

void MpvMovie::postDrain() {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || m_drainPosted.exchange(true))
        return;
    QMetaObject::invokeMethod(
        application,
        [weak = weak_from_this()] {
            if (const std::shared_ptr<MpvMovie> movie = weak.lock())
                movie->drainEvents();
        },
        Qt::QueuedConnection);
}

void MpvMovie::drainEvents() {
    m_drainPosted = false;
    for (;;) {
        const mpv_event* event = mpv_wait_event(m_handle, 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        // The event is consumed before the handler runs: the handler may run a nested
        // event loop that drains again, which invalidates `event`.
        if (handleEvent(*event) && m_endHandler && *m_endHandler)
            (*m_endHandler)(*this);
    }
}

bool MpvMovie::handleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE:
        return event.reply_userdata == eofReply &&
               noteEndOfFile(*static_cast<const mpv_event_property*>(event.data));
    case MPV_EVENT_COMMAND_REPLY:
        // Replies come in the order the seeks were issued; a failed last seek moves nothing.
        m_seeksReplied = std::max(m_seeksReplied, event.reply_userdata);
        if (!MpvLog::succeeded(event.error, "seek") && event.reply_userdata == m_seeksIssued)
            m_pendingSeek.reset();
        return false;
    case MPV_EVENT_LOG_MESSAGE:
        MpvLog::message(*static_cast<const mpv_event_log_message*>(event.data));
        return false;
    case MPV_EVENT_PLAYBACK_RESTART:
        // Playback restarted after every issued seek reached the player.
        if (m_seeksReplied == m_seeksIssued)
            m_pendingSeek.reset();
        return false;
    default:
        return false;
    }
}

bool MpvMovie::noteEndOfFile(const mpv_event_property& property) {
    const bool atEnd = property.format == MPV_FORMAT_FLAG && *static_cast<const int*>(property.data) != 0;
    const bool reached = atEnd && !m_atEnd;
    m_atEnd = atEnd;
    // A seek to or past the end settles there without restarting playback.
    if (atEnd && m_seeksReplied == m_seeksIssued)
        m_pendingSeek.reset();
    return reached;
}

float MpvMovie::rate() const {
    if (readFlag(m_handle, "pause"))
        return 0.0f;
    const double speed = readDouble(m_handle, "speed").value_or(1.0);
    const bool backward = readString(m_handle, "play-dir") == "backward";
    return static_cast<float>(backward ? -speed : speed);
}

void MpvMovie::setRate(float rate) {
    // Also catches NaN: a rate mpv cannot play is a pause.
    if (!(std::abs(rate) >= slowestRate)) {
        stop();
        return;
    }
    // Changing the direction restarts decoding, so it is only set when it changes.
    const char* direction = rate < 0.0f ? "backward" : "forward";
    if (readString(m_handle, "play-dir") != direction &&
        !MpvLog::succeeded(mpv_set_property_string(m_handle, "play-dir", direction), "set", "play-dir"))
        return;
    if (writeDouble(m_handle, "speed", std::min(static_cast<double>(std::abs(rate)), fastestRate)))
        play();
}

std::int16_t MpvMovie::volume() const {
    return m_volume;
}

void MpvMovie::setVolume(std::int16_t volume) {
    const double percent = std::max(0.0, volume / volumeUnitsPerPercent);
    const double maximum = std::clamp(percent, normalVolumeMaximum, highestVolumeMaximum);
    // The volume read back stays the one playing when mpv refuses the new one.
    if (writeDouble(m_handle, "volume-max", maximum) &&
        writeDouble(m_handle, "volume", std::min(percent, maximum)))
        m_volume = volume;
}

void MpvMovie::play() {
    writeFlag(m_handle, "pause", false);
}

void MpvMovie::stop() {
    writeFlag(m_handle, "pause", true);
}

bool MpvMovie::isPlaying() const {
    return !readFlag(m_handle, "pause");
}

MovieTime MpvMovie::duration() const {
    return MovieTime::fromSeconds(readDouble(m_handle, "duration").value_or(0.0));
}

MovieTime MpvMovie::currentTime() const {
    double seconds = m_pendingSeek ? *m_pendingSeek : readDouble(m_handle, "time-pos").value_or(0.0);
    // The last frame's time may lie a little past the container's length.
    if (const auto length = readDouble(m_handle, "duration"))
        seconds = std::min(seconds, *length);
    return MovieTime::fromSeconds(std::max(0.0, seconds));
}

void MpvMovie::setCurrentTime(MovieTime time) {
    if (time.scale <= 0)
        return;
    const double seconds = time.seconds();
    const QByteArray argument = QByteArray::number(seconds, 'f', 6);
    const char* command[] = {"seek", argument.constData(), "absolute+exact", nullptr};
    // A seek mpv refuses at once gets no reply: the position stays that of the seeks
    // it took, or the player's own.
    const std::uint64_t seek = m_seeksIssued + 1;
    if (!MpvLog::succeeded(mpv_command_async(m_handle, seek, command), "seek to", argument.constData()))
        return;
    // The player takes a moment to get there; until then the target is the position.
    m_seeksIssued = seek;
    m_pendingSeek = seconds;
}

bool MpvMovie::hasVideo() const {
    return isTrackSelected(m_handle, "vid");
}

Size MpvMovie::naturalSize() const {
    if (!hasVideo())
        return {};
    auto width = readInt(m_handle, "dwidth");
    auto height = readInt(m_handle, "dheight");
    if (!width || !height) {
        width = readInt(m_handle, "width");
        height = readInt(m_handle, "height");
    }
    if (!width || !height)
        return {};
    return {static_cast<float>(*width), static_cast<float>(*height)};
}

std::string MpvMovie::displayName() const {
    const std::string title = readString(m_handle, "media-title");
    return title.empty() ? QFileInfo(QString::fromStdString(m_path)).fileName().toStdString() : title;
}

// Drawn through the movie's own render context at its natural size. Asking mpv for a
// screenshot instead would wait on its video output, which waits for the GUI thread to
// draw the frame due: a fifth of a second lost on every capture of a playing movie.
std::shared_ptr<Picture> MpvMovie::currentFrameImage() {
    const Size natural = naturalSize();
    const QSize naturalPixels(static_cast<int>(natural.width), static_cast<int>(natural.height));
    if (naturalPixels.isEmpty())
        return nullptr;
    QImage image = m_renderContext != nullptr ? renderedFrame(naturalPixels) : screenshotFrame();
    if (image.isNull())
        return nullptr;
    if (naturalPixels != image.size())
        image = image.scaled(naturalPixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return std::make_shared<QtPicture>(std::move(image));
}

QImage MpvMovie::renderedFrame(QSize size) const {
    QImage image(size, QImage::Format_RGB32);
    if (!MpvSoftwareRender::into(m_renderContext, image, false))
        return {};
    return image;
}

// Without a render context the video output is mpv's null one, which never waits.
QImage MpvMovie::screenshotFrame() const {
    mpv_node result{};
    const char* command[] = {"screenshot-raw", "video", nullptr};
    if (!MpvLog::succeeded(mpv_command_ret(m_handle, command, &result), "screenshot-raw"))
        return {};
    QImage image = screenshotImage(result);
    mpv_free_node_contents(&result);
    return image;
}

const std::optional<MovieProbe::Facts>& MpvMovie::facts() const {
    if (!m_probed) {
        m_facts = MovieProbe::probe(m_path);
        m_probed = true;
    }
    return m_facts;
}

Attributes MpvMovie::movieAttributes() const {
    const Size natural = naturalSize();
    Attributes attributes{
        {"DisplayName", displayName()},
        {"NaturalSize", std::to_string(static_cast<int>(natural.width)) + " x " +
                            std::to_string(static_cast<int>(natural.height))},
    };
    if (const auto& probed = facts())
        attributes.insert(attributes.end(), probed->movie.begin(), probed->movie.end());
    return attributes;
}

std::vector<TrackAttributes> MpvMovie::tracks() const {
    const auto& probed = facts();
    return probed ? probed->tracks : std::vector<TrackAttributes>{};
}

} // namespace vistrel
