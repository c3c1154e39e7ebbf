#include "movies/MpvMovie.h"

#include "media/pictures/QtPicture.h"
#include "movies/Bgr0Frame.h"
#include "movies/MpvFrameRenderer.h"
#include "movies/MpvLog.h"
#include "movies/MpvProperties.h"
#include "movies/MpvSoftwareRender.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <mpv/client.h>
#include <mpv/render.h>
#include <utility>

namespace vistrel {

namespace {

// mpv's `speed` accepts 0.01 to 100 only.
constexpr float slowestRate = 0.01f;
constexpr double fastestRate = 100.0;
// mpv's `volume-max` ranges from 100 to 1000 percent.
constexpr double normalVolumeMaximum = 100.0;
constexpr double highestVolumeMaximum = 1000.0;
constexpr double volumeUnitsPerPercent = 2.56;
// The image of a `screenshot-raw` result; null when it is not the bgr0 frame asked for.
QImage screenshotImage(const mpv_node& result) {
    const mpv_node* format = MpvProperties::mapValue(result, "format");
    const mpv_node* data = MpvProperties::mapValue(result, "data");
    if (format == nullptr || format->format != MPV_FORMAT_STRING ||
        std::strcmp(format->u.string, "bgr0") != 0 || data == nullptr ||
        data->format != MPV_FORMAT_BYTE_ARRAY)
        return {};
    const std::int64_t width = MpvProperties::mapInt(result, "w");
    const std::int64_t height = MpvProperties::mapInt(result, "h");
    const std::int64_t stride = MpvProperties::mapInt(result, "stride");
    const auto available = static_cast<std::int64_t>(data->u.ba->size);
    if (width <= 0 || height <= 0 || stride < width * 4 || available < stride * height)
        return {};
    return Bgr0Frame::copy(data->u.ba->data, static_cast<int>(width), static_cast<int>(height),
                           static_cast<std::size_t>(stride));
}

} // namespace

MpvMovie::MpvMovie(std::shared_ptr<MpvPlayer> player, MpvPlayer::Load load, std::string path)
    : m_player(std::move(player)), m_load(load), m_path(std::move(path)) {}

MpvMovie::~MpvMovie() {
    m_player->release(m_load);
}

void MpvMovie::playbackRestarted() {
    // Playback restarted after every issued seek reached the player.
    if (m_lastSeekReplied)
        m_pendingSeek.reset();
}

bool MpvMovie::commandReplied(const mpv_event& event) {
    if (m_firstSeek == 0 || event.reply_userdata < m_firstSeek || event.reply_userdata > m_lastSeek)
        return false;
    // Replies come in the order the seeks were issued; a failed last seek moves nothing.
    const bool last = event.reply_userdata == m_lastSeek;
    m_lastSeekReplied = m_lastSeekReplied || last;
    if (!MpvLog::succeeded(event.error, "seek") && last)
        m_pendingSeek.reset();
    return true;
}

bool MpvMovie::noteEndOfFile(const mpv_event_property& property) {
    const bool atEnd = property.format == MPV_FORMAT_FLAG && *static_cast<const int*>(property.data) != 0;
    const bool reached = atEnd && !m_atEnd;
    m_atEnd = atEnd;
    // A seek to or past the end settles there without restarting playback.
    if (atEnd && m_lastSeekReplied)
        m_pendingSeek.reset();
    return reached;
}

float MpvMovie::rate() const {
    if (!isShown() || MpvProperties::readFlag(handle(), "pause"))
        return 0.0f;
    const double speed = MpvProperties::readDouble(handle(), "speed").value_or(1.0);
    const bool backward = MpvProperties::readString(handle(), "play-dir") == "backward";
    return static_cast<float>(backward ? -speed : speed);
}

void MpvMovie::setRate(float rate) {
    // Also catches NaN: a rate mpv cannot play is a pause.
    if (!isShown())
        return;
    if (!(std::abs(rate) >= slowestRate)) {
        stop();
        return;
    }
    // Changing the direction restarts decoding, so it is only set when it changes.
    const char* direction = rate < 0.0f ? "backward" : "forward";
    if (MpvProperties::readString(handle(), "play-dir") != direction &&
        !MpvLog::succeeded(mpv_set_property_string(handle(), "play-dir", direction), "set", "play-dir"))
        return;
    if (MpvProperties::writeDouble(handle(), "speed",
                                   std::min(static_cast<double>(std::abs(rate)), fastestRate)))
        play();
}

std::int16_t MpvMovie::volume() const {
    return m_volume;
}

void MpvMovie::setVolume(std::int16_t volume) {
    if (!isShown())
        return;
    const double percent = std::max(0.0, volume / volumeUnitsPerPercent);
    const double maximum = std::clamp(percent, normalVolumeMaximum, highestVolumeMaximum);
    // The volume read back stays the one playing when mpv refuses the new one.
    if (MpvProperties::writeDouble(handle(), "volume-max", maximum) &&
        MpvProperties::writeDouble(handle(), "volume", std::min(percent, maximum)))
        m_volume = volume;
}

void MpvMovie::play() {
    if (isShown())
        MpvProperties::writeFlag(handle(), "pause", false);
}

void MpvMovie::stop() {
    if (isShown())
        MpvProperties::writeFlag(handle(), "pause", true);
}

bool MpvMovie::isPlaying() const {
    return isShown() && !MpvProperties::readFlag(handle(), "pause");
}

MovieTime MpvMovie::duration() const {
    if (!isShown())
        return {};
    return MovieTime::fromSeconds(MpvProperties::readDouble(handle(), "duration").value_or(0.0));
}

MovieTime MpvMovie::currentTime() const {
    if (!isShown())
        return {};
    double seconds =
        m_pendingSeek ? *m_pendingSeek : MpvProperties::readDouble(handle(), "time-pos").value_or(0.0);
    // The last frame's time may lie a little past the container's length.
    if (const auto length = MpvProperties::readDouble(handle(), "duration"))
        seconds = std::min(seconds, *length);
    return MovieTime::fromSeconds(std::max(0.0, seconds));
}

void MpvMovie::setCurrentTime(MovieTime time) {
    if (time.scale <= 0 || !isShown())
        return;
    const double seconds = time.seconds();
    const QByteArray argument = QByteArray::number(seconds, 'f', 6);
    const char* command[] = {"seek", argument.constData(), "absolute+exact", nullptr};
    // A seek mpv refuses at once gets no reply: the position stays that of the seeks
    // it took, or the player's own.
    const std::uint64_t seek = m_player->nextRequest();
    if (!MpvLog::succeeded(mpv_command_async(handle(), seek, command), "seek to", argument.constData()))
        return;
    // The player takes a moment to get there; until then the target is the position.
    m_firstSeek = m_firstSeek == 0 ? seek : m_firstSeek;
    m_lastSeek = seek;
    m_lastSeekReplied = false;
    m_pendingSeek = seconds;
}

bool MpvMovie::hasVideo() const {
    return isShown() && MpvProperties::isTrackSelected(handle(), "vid");
}

Size MpvMovie::naturalSize() const {
    if (!hasVideo())
        return {};
    auto width = MpvProperties::readInt(handle(), "dwidth");
    auto height = MpvProperties::readInt(handle(), "dheight");
    if (!width || !height) {
        width = MpvProperties::readInt(handle(), "width");
        height = MpvProperties::readInt(handle(), "height");
    }
    if (!width || !height)
        return {};
    return {static_cast<float>(*width), static_cast<float>(*height)};
}

std::string MpvMovie::displayName() const {
    const std::string title = isShown() ? MpvProperties::readString(handle(), "media-title") : std::string();
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
    QImage image = m_player->renderContext() != nullptr ? renderedFrame(naturalPixels) : screenshotFrame();
    if (image.isNull())
        return nullptr;
    if (naturalPixels != image.size())
        image = image.scaled(naturalPixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return std::make_shared<QtPicture>(std::move(image));
}

QImage MpvMovie::renderedFrame(QSize size) const {
    QImage image(size, QImage::Format_RGB32);
    if (!MpvSoftwareRender::into(m_player->renderContext(), image, false))
        return {};
    return image;
}

// Without a render context the video output is mpv's null one, which never waits.
QImage MpvMovie::screenshotFrame() const {
    mpv_node result{};
    const char* command[] = {"screenshot-raw", "video", nullptr};
    if (!MpvLog::succeeded(mpv_command_ret(handle(), command, &result), "screenshot-raw"))
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

std::unique_ptr<MovieFrames> MpvMovie::frames() {
    return std::make_unique<MpvFrameRenderer>(*this);
}

std::vector<TrackAttributes> MpvMovie::tracks() const {
    const auto& probed = facts();
    return probed ? probed->tracks : std::vector<TrackAttributes>{};
}

} // namespace vistrel
