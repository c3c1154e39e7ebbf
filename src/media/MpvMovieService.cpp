#include "media/MpvMovieService.h"

#include "media/MimeSuffixes.h"
#include "media/MovieProbe.h"

#include <QMimeDatabase>
#include <QSet>
#include <utility>

namespace vistrel {

MpvMovieService::MpvMovieService() : m_endHandler(std::make_shared<MpvMovie::EndHandler>()) {
    // Once here for the application; every movie opened sets it again, in case something
    // (QApplication's construction) put the user's locale back since.
    MpvMovie::useCNumericLocale();
}

namespace {

// Audio and video MIME types of files that play nothing themselves: play lists and
// the correction stream of a lossless file, which needs the file it belongs to.
const QSet<QString> unplayableTypes{
    QStringLiteral("audio/x-amzxml"),   QStringLiteral("audio/x-iriver-pla"),
    QStringLiteral("audio/x-ms-asx"),   QStringLiteral("audio/x-scpls"),
    QStringLiteral("audio/x-mpegurl"),  QStringLiteral("video/vnd.mpegurl"),
    QStringLiteral("audio/x-wavpack-correction"),
};

// Suffixes that some audio or video type claims besides its own, or that a version of
// the MIME database may list, for files that are no movie: subtitles (the AAC type
// claims "ass"), play lists and cue sheets, and the navigation files of a Blu-ray disc
// (the MPEG transport stream type claims them along with "ts").
const QSet<QString> unplayableSuffixes{
    QStringLiteral("ass"),  QStringLiteral("srt"),  QStringLiteral("ssa"),  QStringLiteral("sub"),
    QStringLiteral("vtt"),  QStringLiteral("idx"),  QStringLiteral("m3u"),  QStringLiteral("m3u8"),
    QStringLiteral("pls"),  QStringLiteral("asx"),  QStringLiteral("xspf"), QStringLiteral("cue"),
    QStringLiteral("cpi"),  QStringLiteral("clpi"), QStringLiteral("mpl"),  QStringLiteral("mpls"),
    QStringLiteral("bdm"),  QStringLiteral("bdmv"),
};

bool isMovieType(const QMimeType& type) {
    const QString name = type.name();
    if (!name.startsWith(QLatin1String("video/")) && !name.startsWith(QLatin1String("audio/")))
        return false;
    // A text file of this kind is a list of other files.
    return !unplayableTypes.contains(name) && !type.inherits(QStringLiteral("text/plain"));
}

} // namespace

std::vector<std::string> MpvMovieService::movieFileTypes() const {
    // The MIME database rather than libavformat's extension lists, which both miss
    // common suffixes and list subtitle and text files.
    QList<QMimeType> types = QMimeDatabase().allMimeTypes();
    types.removeIf([](const QMimeType& type) { return !isMovieType(type); });
    std::vector<std::string> suffixes = MimeSuffixes::of(types);
    std::erase_if(suffixes, [](const std::string& suffix) {
        return unplayableSuffixes.contains(QString::fromStdString(suffix));
    });
    return suffixes;
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
