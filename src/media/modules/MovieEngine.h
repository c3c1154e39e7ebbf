#pragma once

#include "core/media/MovieFacts.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vistrel {

class Movie;

// What the movie module offers the program: playing movies and reading their facts.
// The module carries the player and the demuxer libraries, so they load only once a
// movie is needed. Create and use an engine on the GUI thread, except movieFacts.
class MovieEngine {
  public:
    using Opened = std::function<void(std::shared_ptr<Movie>)>;
    using EndHandler = std::function<void(Movie&)>;

    virtual ~MovieEngine() = default;

    // Starts the player ahead of the first movie, so its start costs the GUI thread
    // nothing. May run on a worker, before anything else is asked of the engine; the
    // process must already be in the C numeric locale.
    virtual void startPlayer() = 0;

    // As MovieService::openMovie: `opened` runs later on the GUI thread, with the movie
    // ready or nullptr. Opening a movie retires the one opened before.
    virtual void openMovie(const std::string& path, Opened opened) = 0;
    // `handler` runs on the GUI thread when the current movie plays to its end.
    virtual void observeMovieEnds(EndHandler handler) = 0;
    // Reads the open file `descriptor` (the caller's), named `path`; blocks on it. Safe
    // to call from any thread.
    virtual std::optional<MovieFacts> movieFacts(const std::string& path, int descriptor) = 0;
};

// The module's one exported function: a new engine the caller owns.
using CreateMovieEngine = MovieEngine* (*)();
inline constexpr const char* createMovieEngineSymbol = "vistrel_create_movie_engine";

} // namespace vistrel
