#include "media/MpvMovieService.h"

#include "media/MovieFileTypes.h"
#include "media/MovieProbe.h"

#include <utility>

namespace vistrel {

MpvMovieService::MpvMovieService() : m_endHandler(std::make_shared<MpvMovie::EndHandler>()) {
    // Once here for the application; every movie opened sets it again, in case something
    // (QApplication's construction) put the user's locale back since.
    MpvMovie::useCNumericLocale();
}

std::vector<std::string> MpvMovieService::movieFileTypes() const {
    return MovieFileTypes::installed();
}

std::shared_ptr<Movie> MpvMovieService::openMovie(const std::string& path) {
    return MpvMovie::open(path, m_endHandler);
}

void MpvMovieService::observeMovieEnds(std::function<void(Movie&)> handler) {
    *m_endHandler = std::move(handler);
}

std::optional<MovieFacts> MpvMovieService::movieFacts(const std::string& path) {
    return MovieProbe::movieFacts(path);
}

} // namespace vistrel
