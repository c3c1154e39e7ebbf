#pragma once

#include "media/modules/MovieEngine.h"
#include "movies/MpvPlayer.h"

#include <memory>

namespace vistrel {

// Movies through one reused libmpv player, and their facts through libavformat. The
// player starts with the first movie opened. What the movie module hands the program.
class MpvMovieEngine final : public MovieEngine {
  public:
    MpvMovieEngine();

    void startPlayer() override;
    void openMovie(const std::string& path, Opened opened) override;
    void observeMovieEnds(EndHandler handler) override;
    std::optional<MovieFacts> movieFacts(const std::string& path, int descriptor) override;

  private:
    // Shared with the player, so a handler set later reaches movies opened earlier.
    std::shared_ptr<EndHandler> m_endHandler;
    std::shared_ptr<MpvPlayer> m_player;
};

} // namespace vistrel
