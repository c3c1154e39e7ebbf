#pragma once

#include "FakeMovie.h"
#include "media/MovieService.h"

#include <map>

namespace vistrel::test {

// Opens a fresh FakeMovie for every path in `openable` (configured from its template);
// reports the facts of every path in `facts`.
class FakeMovieService : public MovieService {
  public:
    std::vector<std::string> movieFileTypes() const override { return types; }
    std::shared_ptr<Movie> openMovie(const std::string& path) override {
        opened.push_back(path);
        const auto found = openable.find(path);
        if (found == openable.end())
            return nullptr;
        lastMovie = std::make_shared<FakeMovie>(found->second);
        return lastMovie;
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
    // What movieFacts reports per path (a path not here is no movie).
    std::map<std::string, MovieFacts> facts;
    std::vector<std::string> probed;
    std::shared_ptr<FakeMovie> lastMovie;
    std::function<void(Movie&)> endHandler;
};

} // namespace vistrel::test
