#pragma once

#include <cmath>
#include <cstdint>

namespace vistrel {

// A point or length in a movie: `value` units of a time scale of `scale` units per second.
struct MovieTime {
    std::int64_t value = 0;
    std::int32_t scale = 1000;

    // The time in seconds; 0 for a time without a valid scale.
    double seconds() const { return scale > 0 ? static_cast<double>(value) / scale : 0.0; }

    // `seconds` rounded to the nearest unit of `scale`; a time that is not a number is 0.
    static MovieTime fromSeconds(double seconds, std::int32_t scale = 1000) {
        const double units = seconds * scale;
        return {std::isfinite(units) ? static_cast<std::int64_t>(std::llround(units)) : 0, scale};
    }

    friend bool operator==(const MovieTime&, const MovieTime&) = default;
};

} // namespace vistrel
