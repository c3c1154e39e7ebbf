#pragma once

#include "core/media/Attributes.h"
#include "core/media/MovieFacts.h"

#include <optional>
#include <string>
#include <vector>

namespace vistrel {

// Container and per-stream facts of a movie file read with libavformat, without
// starting a player: what the information text prints as the raw attributes.
//
// Only regular files are read (a pipe or a device named like a movie would block
// the reader), through a descriptor by offset, and reading gives up after a few
// seconds, so a probe always ends. Still pictures read by libavformat's image demuxers
// are no movies. Safe to call from any thread.
class MovieProbe {
  public:
    struct Facts {
        Attributes movie;
        std::vector<TrackAttributes> tracks; // one per stream, in stream order
    };

    // nullopt when libavformat cannot read the file as a movie.
    static std::optional<Facts> probe(const std::string& path);

    // The length in 32-bit units, the natural bounds of the first picture stream, the
    // display name, and the facts above with the name and natural size in front; read
    // from the open file `descriptor` (which stays the caller's), named `path`.
    static std::optional<MovieFacts> movieFacts(const std::string& path, int descriptor);
};

} // namespace vistrel
