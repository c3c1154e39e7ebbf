#pragma once

#include "core/media/MovieService.h"

#include <memory>

namespace vistrel {

class Executor;
class HelperMovieFacts;

// Movies through libmpv, which comes with the movie module (see MovieModule): the
// module loads on a worker the first time a movie or its facts are needed, so a program
// that shows only pictures never loads the player. Without the module every movie
// fails as unreadable, and pictures still work.
class ModuleMovieService final : public MovieService {
  public:
    // The module loads on `executor`, which must outlive the service.
    explicit ModuleMovieService(Executor& executor);
    ~ModuleMovieService() override;
    ModuleMovieService(const ModuleMovieService&) = delete;
    ModuleMovieService& operator=(const ModuleMovieService&) = delete;

    // The suffixes of the video and audio MIME types the MIME database knows, less
    // those of files that play nothing as a movie (subtitles, play lists, disc
    // navigation).
    std::vector<std::string> movieFileTypes() const override;
    // While the module loads, only the latest request is kept; earlier ones get nullptr.
    void openMovie(const std::string& path, std::function<void(std::shared_ptr<Movie>)> opened) override;
    void observeMovieEnds(std::function<void(Movie&)> handler) override;
    // Read with libavformat behind the wall once readFactsBehindTheWall was called and
    // a helper runs; else in this process, where no player is started but the module
    // is loaded first if need be.
    std::optional<MovieFacts> movieFacts(const std::string& path) override;
    // Before any facts are asked for.
    void readFactsBehindTheWall(std::unique_ptr<HelperMovieFacts> helper);

    // Loads the module and starts its player now, before any movie is asked for, when
    // `path` is a movie by its suffix: the first item handed over, so that its first
    // frame does not wait for the load behind the windows being made.
    void loadAheadFor(const std::string& path);

  private:
    struct State;
    void loadModule();
    // Shared with the worker that loads the module, which may finish after the service is gone.
    Executor& m_executor;
    std::shared_ptr<State> m_state;
    std::unique_ptr<HelperMovieFacts> m_walledFacts;
};

} // namespace vistrel
