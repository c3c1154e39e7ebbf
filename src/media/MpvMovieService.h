#pragma once

#include "media/MovieService.h"
#include "media/MpvMovie.h"

namespace vistrel {

// Movies through libmpv; every movie it opens is an MpvMovie.
class MpvMovieService final : public MovieService {
  public:
    MpvMovieService();

    // The suffixes of the video and audio MIME types the MIME database knows, less
    // those of files that play nothing as a movie (subtitles, play lists, disc
    // navigation).
    std::vector<std::string> movieFileTypes() const override;
    std::shared_ptr<Movie> openMovie(const std::string& path) override;
    void observeMovieEnds(std::function<void(Movie&)> handler) override;
    // Read with libavformat; no player is started.
    std::optional<MovieFacts> movieFacts(const std::string& path) override;

  private:
    // Shared with every movie opened, so a handler set later reaches earlier movies too.
    std::shared_ptr<MpvMovie::EndHandler> m_endHandler;
};

} // namespace vistrel
