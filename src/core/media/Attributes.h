#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vistrel {

// An ordered dictionary of printable facts (key, printed value), as shown to the user.
using Attributes = std::vector<std::pair<std::string, std::string>>;

// One track of a movie with its own facts and those of its media.
struct TrackAttributes {
    Attributes track;
    Attributes media;
};

} // namespace vistrel
