#pragma once

#include "FakePicture.h"
#include "core/media/Movie.h"

#include <optional>

namespace vistrel::test {

// A movie that reports back exactly what was set, with no clock of its own.
class FakeMovie : public Movie {
  public:
    float rate() const override { return rateValue; }
    void setRate(float value) override { rateValue = value; }
    std::int16_t volume() const override { return volumeValue; }
    void setVolume(std::int16_t value) override { volumeValue = value; }
    void play() override {
        playing = true;
        rateValue = 1.0f;
    }
    void stop() override {
        playing = false;
        rateValue = 0.0f;
    }
    bool isPlaying() const override { return playing; }
    MovieTime duration() const override { return durationValue; }
    MovieTime currentTime() const override { return current; }
    void setCurrentTime(MovieTime time) override { current = time; }
    Size naturalSize() const override { return natural; }
    std::string displayName() const override { return name; }
    // A frame of `frameSize`; none (a movie without a picture track) while it is unset.
    std::shared_ptr<Picture> currentFrameImage() override {
        ++framesTaken;
        return frameSize ? std::make_shared<FakePicture>(*frameSize) : nullptr;
    }
    Attributes movieAttributes() const override { return {}; }
    std::vector<TrackAttributes> tracks() const override { return {}; }

    float rateValue = 0.0f;
    std::int16_t volumeValue = 256;
    bool playing = false;
    MovieTime durationValue{1000, 1000};
    MovieTime current{0, 1000};
    Size natural{640.0f, 480.0f};
    std::string name = "movie";
    std::optional<Size> frameSize;
    int framesTaken = 0;
};

} // namespace vistrel::test
