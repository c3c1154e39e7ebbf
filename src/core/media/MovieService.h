#pragma once

#include "core/media/MovieFacts.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vistrel {

class Movie;

class MovieService {
public:
    virtual ~MovieService() = default;

    // Lower-case extensions of every openable movie type.
    virtual std::vector<std::string> movieFileTypes() const = 0;
    // Opens the movie at `path` without blocking the caller. `opened` runs later, on the
    // GUI thread, with the movie paused at its start, its natural size known and its first
    // frame ready; or with nullptr when the file cannot be opened as a movie. Opening
    // another movie may end this one (one player serves them all): a caller keeps only
    // the movie it asked for last.
    virtual void openMovie(const std::string& path, std::function<void(std::shared_ptr<Movie>)> opened) = 0;
    // `handler` runs on the GUI thread whenever any movie plays to its end.
    virtual void observeMovieEnds(std::function<void(Movie&)> handler) = 0;
    // The length, natural bounds, name and raw facts of a movie file, read without
    // playing it; nullopt when the file is no movie. Blocks on the file: call it off
    // the GUI thread. Safe to call from any thread.
    virtual std::optional<MovieFacts> movieFacts(const std::string& path) = 0;
};

} // namespace vistrel
