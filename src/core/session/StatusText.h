#pragma once

#include "core/media/PictureInfo.h"

#include <string>

namespace vistrel {

class Movie;

// The multi-line summaries the status display shows for the item on screen.
// `number` counts from 1; `count` is the length of the play list.
namespace statusText {

// Name, position, rate and volume in percent, from the movie's 32-bit times.
std::string movieSummary(const Movie& movie, int number, int count);

// File name, pixel size and colour model; a missing size or colour model leaves its value empty.
std::string pictureSummary(const std::string& name, const PictureInfo& info, int number, int count);

} // namespace statusText

} // namespace vistrel
