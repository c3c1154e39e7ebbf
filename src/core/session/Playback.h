#pragma once

#include <cstdint>

namespace vistrel {

class PictureAnimation;
class ShownMovie;
class StatusOverlay;

// Rate, volume, position and pause of the movie on screen, each change shown on the
// overlay. Without a movie on screen every command does nothing, but for pausing and
// continuing an animated picture.
class Playback {
  public:
    Playback(const ShownMovie& movie, StatusOverlay& overlay);

    // The stepped rate; back to normal when the viewer starts again.
    double rate() const { return m_rate; }
    void resetRate() { m_rate = 1.0; }

    void faster();
    void slower();
    // Normal rate and full volume.
    void normal();
    void louder();
    void quieter();
    // Jumps by 1/divisor of the movie's length, forwards for a positive sign.
    void skip(std::int32_t divisor, std::int32_t sign);
    void stopOrContinue(PictureAnimation& animation);

  private:
    void stepRate(double step);
    void stepVolume(int step);

    const ShownMovie& m_movie;
    StatusOverlay& m_overlay;
    double m_rate = 1.0;
};

} // namespace vistrel
