#pragma once

#include "media/Attributes.h"

#include <optional>
#include <string>
#include <vector>

namespace vistrel {

// Container and per-stream facts of a movie file read with libavformat, without
// starting a player: what the information text prints as the raw attributes.
class MovieProbe {
  public:
    struct Facts {
        Attributes movie;
        std::vector<TrackAttributes> tracks; // one per stream, in stream order
    };

    // nullopt when libavformat cannot read the file.
    static std::optional<Facts> probe(const std::string& path);
};

} // namespace vistrel
