#pragma once

#include "core/media/Attributes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vistrel {

// The rectangle a movie's picture fills at its natural size, in pixels. All zero for a
// movie without a picture (sound only).
struct MovieBounds {
    std::int32_t top = 0;
    std::int32_t left = 0;
    std::int32_t bottom = 0;
    std::int32_t right = 0;
};

// What a movie file tells about itself without being played.
struct MovieFacts {
    // The length: `duration` units of `timeScale` units per second.
    std::int32_t duration = 0;
    std::int32_t timeScale = 1000;
    MovieBounds naturalBounds;
    // The title the file carries, else its file name.
    std::string displayName;
    Attributes movieAttributes;
    // One per stream, in the file's order; media facts empty where a track has none.
    std::vector<TrackAttributes> tracks;
};

} // namespace vistrel
