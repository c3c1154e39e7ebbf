#include "core/session/PlaybackArithmetic.h"

#include <cmath>
#include <limits>

namespace vistrel::playback {

std::int16_t steppedVolume(std::int16_t volume, int step) {
    return static_cast<std::int16_t>(volume + step);
}

double volumePercent(std::int16_t volume) {
    return volume / 2.56;
}

std::int64_t valueInScale(MovieTime time, std::int32_t scale) {
    if (time.scale == scale || time.scale <= 0)
        return time.value;
    const long double converted = static_cast<long double>(time.value) * scale / time.scale;
    return static_cast<std::int64_t>(converted);
}

std::int64_t jumpTarget(std::int64_t length, std::int64_t position, std::int32_t divisor, std::int32_t sign) {
    const std::int64_t target = position + (length * sign) / divisor;
    if (sign > 0)
        return target >= length ? length : target;
    return target < 0 ? 0 : target;
}

double positionPercent(std::int64_t position, std::int64_t length) {
    if (length == 0)
        return 0.0;
    return static_cast<double>(position) * 100.0 / static_cast<double>(length);
}

int truncatedPercent(double percent) {
    if (std::isnan(percent))
        return 0;
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    return static_cast<int>(std::trunc(std::fmin(std::fmax(percent, lowest), highest)));
}

} // namespace vistrel::playback
