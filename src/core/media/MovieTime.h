#pragma once

#include <cstdint>

namespace vistrel {

// A point or length in a movie: `value` units of a time scale of `scale` units per second.
struct MovieTime {
    std::int64_t value = 0;
    std::int32_t scale = 1000;
    friend bool operator==(const MovieTime&, const MovieTime&) = default;
};

} // namespace vistrel
