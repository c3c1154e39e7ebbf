#include "movies/MpvMovieEngine.h"

#include "media/support/GuiThread.h"
#include "movies/MovieProbe.h"

#include <utility>

namespace vistrel {

MpvMovieEngine::MpvMovieEngine() : m_endHandler(std::make_shared<EndHandler>()) {}

void MpvMovieEngine::startPlayer() {
    if (!m_player)
        m_player = MpvPlayer::create(m_endHandler);
}

void MpvMovieEngine::openMovie(const std::string& path, Opened opened) {
    if (!m_player) {
        MpvPlayer::useCNumericLocale();
        startPlayer();
    }
    if (m_player) {
        m_player->open(path, std::move(opened));
        return;
    }
    // mpv could not start (it said why in the log): every movie fails as unreadable,
    // told later like any other opening.
    GuiThread::post([opened = std::move(opened)] { opened(nullptr); });
}

void MpvMovieEngine::observeMovieEnds(EndHandler handler) {
    *m_endHandler = std::move(handler);
}

std::optional<MovieFacts> MpvMovieEngine::movieFacts(const std::string& path, int descriptor) {
    return MovieProbe::movieFacts(path, descriptor);
}

} // namespace vistrel
