#include "media/MpvMovieService.h"

#include "media/MimeSuffixes.h"
#include "media/MovieProbe.h"

#include <QMimeDatabase>
#include <utility>

namespace vistrel {

MpvMovieService::MpvMovieService() : m_endHandler(std::make_shared<MpvMovie::EndHandler>()) {
    // Once here for the application; every movie opened sets it again, in case something
    // (QApplication's construction) put the user's locale back since.
    MpvMovie::useCNumericLocale();
}

std::vector<std::string> MpvMovieService::movieFileTypes() const {
    // The MIME database rather than libavformat's extension lists, which both miss
    // common suffixes and list subtitle and text files.
    QList<QMimeType> types = QMimeDatabase().allMimeTypes();
    types.removeIf([](const QMimeType& type) {
        const QString name = type.name();
        return !name.startsWith(QLatin1String("video/")) && !name.startsWith(QLatin1String("audio/"));
    });
    return MimeSuffixes::of(types);
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
