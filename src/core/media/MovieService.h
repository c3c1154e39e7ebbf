#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vistrel {

class Movie;

class MovieService {
public:
    virtual ~MovieService() = default;

    // Lower-case extensions of every openable movie type.
    virtual std::vector<std::string> movieFileTypes() const = 0;
    // An opened movie, or nullptr when the file cannot be opened as a movie.
    virtual std::shared_ptr<Movie> openMovie(const std::string& path) = 0;
    // `handler` runs on the GUI thread whenever any movie plays to its end.
    virtual void observeMovieEnds(std::function<void(Movie&)> handler) = 0;
};

} // namespace vistrel
