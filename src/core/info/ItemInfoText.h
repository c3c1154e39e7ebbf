#pragma once

#include <optional>
#include <string>

namespace vistrel {

class MovieService;
class PictureService;

// The information text of a file as the play list window shows it: the picture's
// name and every property, then the movie's duration, name, size and the raw facts
// of the movie, each track and its media. nullopt when the file is neither a
// readable picture nor an openable movie. Reads the file; call it off the GUI thread.
std::optional<std::string> getInfoString(const std::string& path, PictureService& pictures, MovieService& movies);

} // namespace vistrel
