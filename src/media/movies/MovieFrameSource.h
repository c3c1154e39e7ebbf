#pragma once

#include "media/movies/MovieFrames.h"

#include <memory>

namespace vistrel {

// A movie a view can draw: the view asks it for the drawer of its frames, so the view
// knows nothing of the player behind it.
class MovieFrameSource {
  public:
    virtual ~MovieFrameSource() = default;

    // The drawer of this movie's frames; one at a time (a new one takes the frame
    // notifications from the old). Throws std::runtime_error when the movie cannot be drawn.
    virtual std::unique_ptr<MovieFrames> frames() = 0;
};

} // namespace vistrel
