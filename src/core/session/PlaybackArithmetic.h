#pragma once

#include "core/media/MovieTime.h"

#include <cstdint>

namespace vistrel::playback {

// The integer arithmetic behind the playback commands and the status summary.
// Percentages shown to the user are truncated toward zero.

// `volume` + `step`, wrapped to a signed 16-bit value as the movie's volume is.
std::int16_t steppedVolume(std::int16_t volume, int step);

// A volume in percent of full volume (256).
double volumePercent(std::int16_t volume);

// The value of `time` in units of `scale` (a movie may report its position and its
// length in different scales).
std::int64_t valueInScale(MovieTime time, std::int32_t scale);

// Where a jump by 1/`divisor` of `length` in the direction of `sign` lands from
// `position`: never past the end going forward, never before the start going back.
// `divisor` must not be 0.
std::int64_t jumpTarget(std::int64_t length, std::int64_t position, std::int32_t divisor, std::int32_t sign);

// `position` in percent of `length`; 0 for a movie of length 0.
double positionPercent(std::int64_t position, std::int64_t length);

// Truncated toward zero; held at the int range, NaN gives 0.
int truncatedPercent(double percent);

} // namespace vistrel::playback
