#pragma once

#include "core/geometry/Geometry.h"
#include "core/media/Attributes.h"
#include "core/media/MovieTime.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vistrel {

class Picture;
// What draws a movie's frames; opaque to the core, defined where movies are drawn.
class MovieFrameSource;

// An opened movie. Created by MovieService::openMovie; lives as long as someone holds it.
class Movie {
public:
    virtual ~Movie() = default;

    // What a view draws the frames with; nullptr for a movie that cannot be drawn.
    virtual MovieFrameSource* frameSource() { return nullptr; }

    // Signed rate the movie really plays at: 0 while paused, negative backwards.
    virtual float rate() const = 0;
    // Plays at `rate` (0 pauses). Magnitudes the engine cannot play are held at its limits.
    virtual void setRate(float rate) = 0;

    // Signed 16-bit volume, 256 = full. The value set is reported back unchanged,
    // also beyond 0..256, even where the audio output clamps it.
    virtual std::int16_t volume() const = 0;
    virtual void setVolume(std::int16_t volume) = 0;

    virtual void play() = 0;
    virtual void stop() = 0;
    virtual bool isPlaying() const = 0;

    virtual MovieTime duration() const = 0;
    virtual MovieTime currentTime() const = 0;
    // Exact seek.
    virtual void setCurrentTime(MovieTime time) = 0;

    // Natural size of the picture; 0 x 0 for a movie without a picture (sound only).
    virtual Size naturalSize() const = 0;
    virtual std::string displayName() const = 0;
    // The frame on screen now, at its natural size; nullptr when there is none.
    virtual std::shared_ptr<Picture> currentFrameImage() = 0;

    virtual Attributes movieAttributes() const = 0;
    virtual std::vector<TrackAttributes> tracks() const = 0;
};

} // namespace vistrel
