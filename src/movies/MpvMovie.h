#pragma once

#include "core/media/Movie.h"
#include "media/movies/MovieFrameSource.h"
#include "movies/MovieProbe.h"
#include "movies/MpvPlayer.h"

#include <QImage>
#include <QSize>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct mpv_event;
struct mpv_event_property;

namespace vistrel {

// One movie loaded into the shared MpvPlayer. It commands the player only while it is
// the movie shown there: once another movie opens, or this one is released, its calls
// do nothing and its queries answer as for an empty movie.
//
// Threads: create, use and destroy a movie on the GUI thread.
class MpvMovie final : public Movie, public MovieFrameSource, public std::enable_shared_from_this<MpvMovie> {
  public:
    MovieFrameSource* frameSource() override { return this; }
    // Made by the player once the file of `load` is ready.
    MpvMovie(std::shared_ptr<MpvPlayer> player, MpvPlayer::Load load, std::string path);
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
    // Throws std::runtime_error when mpv has no render context to draw through.
    std::unique_ptr<MovieFrames> frames() override;

    const std::string& path() const { return m_path; }
    // True while this movie is the one in the player.
    bool isShown() const { return m_player->isShown(m_load); }
    // True when a picture track is playing (false for sound only, or once retired).
    bool hasVideo() const;
    MpvPlayer& player() const { return *m_player; }
    MpvPlayer::Load load() const { return m_load; }

    // Told by the player, for the shown movie only.
    void playbackRestarted();
    // True when the reply was to one of this movie's seeks.
    bool commandReplied(const mpv_event& event);
    // True when the change tells that the movie reached its end.
    bool noteEndOfFile(const mpv_event_property& property);

  private:
    mpv_handle* handle() const { return m_player->handle(); }
    QImage renderedFrame(QSize size) const;
    QImage screenshotFrame() const;
    const std::optional<MovieProbe::Facts>& facts() const;

    std::shared_ptr<MpvPlayer> m_player;
    MpvPlayer::Load m_load;
    std::string m_path;
    std::int16_t m_volume = 256;
    bool m_atEnd = false;
    // Seeks are asynchronous: the target stands for the position until playback has
    // restarted after the last seek issued. Seeks are numbered by the player, in order.
    std::optional<double> m_pendingSeek;
    std::uint64_t m_firstSeek = 0;
    std::uint64_t m_lastSeek = 0;
    bool m_lastSeekReplied = true;
    mutable bool m_probed = false;
    mutable std::optional<MovieProbe::Facts> m_facts;
};

} // namespace vistrel
