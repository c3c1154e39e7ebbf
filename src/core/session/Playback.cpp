#include "core/session/Playback.h"

#include "core/media/Movie.h"
#include "core/platform/StatusOverlay.h"
#include "core/session/PlaybackArithmetic.h"
#include "core/session/ShownMovie.h"
#include "core/show/PictureAnimation.h"

namespace vistrel {

namespace {

constexpr double rateStep = 0.1;
constexpr int volumeStep = 16;
constexpr std::int16_t fullVolume = 256;
constexpr double feedbackDuration = 1.0;

} // namespace

Playback::Playback(const ShownMovie& movie, StatusOverlay& overlay) : m_movie(movie), m_overlay(overlay) {}

void Playback::faster() {
    stepRate(rateStep);
}

void Playback::slower() {
    stepRate(-rateStep);
}

// The stepped rate lives in 64 bits; the movie plays the 32-bit rounding of it and
// the overlay shows what the movie reports back.
void Playback::stepRate(double step) {
    Movie* movie = m_movie.get().get();
    if (!movie)
        return;
    m_rate += step;
    movie->setRate(static_cast<float>(m_rate));
    m_overlay.showPercent(static_cast<double>(movie->rate()) * 100.0, "Rate: ", feedbackDuration);
}

void Playback::normal() {
    Movie* movie = m_movie.get().get();
    if (!movie)
        return;
    movie->setRate(1.0f);
    movie->setVolume(fullVolume);
}

void Playback::louder() {
    stepVolume(volumeStep);
}

void Playback::quieter() {
    stepVolume(-volumeStep);
}

void Playback::stepVolume(int step) {
    Movie* movie = m_movie.get().get();
    if (!movie)
        return;
    const std::int16_t volume = playback::steppedVolume(movie->volume(), step);
    m_overlay.showPercent(playback::volumePercent(volume), "Volume: ", feedbackDuration);
    movie->setVolume(volume);
}

void Playback::skip(std::int32_t divisor, std::int32_t sign) {
    Movie* movie = m_movie.get().get();
    if (!movie || divisor == 0)
        return;
    const MovieTime duration = movie->duration();
    const std::int64_t position = playback::valueInScale(movie->currentTime(), duration.scale);
    const std::int64_t target = playback::jumpTarget(duration.value, position, divisor, sign);
    m_overlay.showPercent(playback::positionPercent(target, duration.value), "Position: ", feedbackDuration);
    movie->setCurrentTime(MovieTime{target, duration.scale});
}

void Playback::stopOrContinue(PictureAnimation& animation) {
    Movie* movie = m_movie.get().get();
    if (!movie) {
        animation.pauseOrContinue();
        return;
    }
    if (movie->isPlaying())
        movie->stop();
    else
        movie->play();
}

} // namespace vistrel
