#pragma once

#include "FakeMovie.h"
#include "core/media/MovieService.h"

#include <functional>
#include <map>

namespace vistrel::test {

// Opens a fresh FakeMovie for every path in `openable` (configured from its template);
// reports the facts of every path in `facts`. Calls back at once, or, with `holdOpenings`,
// only when a test releases the held openings, so it can interleave other steps.
class FakeMovieService : public MovieService {
  public:
    std::vector<std::string> movieFileTypes() const override { return types; }
    void openMovie(const std::string& path, std::function<void(std::shared_ptr<Movie>)> done) override {
        opened.push_back(path);
        std::shared_ptr<FakeMovie> movie;
        if (const auto found = openable.find(path); found != openable.end())
            movie = std::make_shared<FakeMovie>(found->second);
        if (movie)
            lastMovie = movie;
        if (holdOpenings)
            held.push_back([movie, done = std::move(done)] { done(movie); });
        else
            done(movie);
    }
    // Completes the held opening at `index` (in request order); false when there is none.
    bool completeHeld(std::size_t index = 0) {
        if (index >= held.size())
            return false;
        const auto completion = std::move(held[index]);
        held.erase(held.begin() + static_cast<std::ptrdiff_t>(index));
        completion();
        return true;
    }
    void observeMovieEnds(std::function<void(Movie&)> handler) override { endHandler = std::move(handler); }
    std::optional<MovieFacts> movieFacts(const std::string& path) override {
        probed.push_back(path);
        const auto found = facts.find(path);
        return found == facts.end() ? std::nullopt : std::optional(found->second);
    }

    // What the engine does when the movie last opened plays to its end.
    void endLastMovie() {
        if (endHandler && lastMovie)
            endHandler(*lastMovie);
    }

    std::vector<std::string> types{"mov", "mp4", "mpg"};
    std::map<std::string, FakeMovie> openable;
    std::vector<std::string> opened;
    bool holdOpenings = false;
    std::vector<std::function<void()>> held;
    // What movieFacts reports per path (a path not here is no movie).
    std::map<std::string, MovieFacts> facts;
    std::vector<std::string> probed;
    std::shared_ptr<FakeMovie> lastMovie;
    std::function<void(Movie&)> endHandler;
};

} // namespace vistrel::test
