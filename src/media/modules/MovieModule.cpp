#include "media/modules/MovieModule.h"

#include "core/playlist/PathComponents.h"
#include "media/modules/LoadableModule.h"
#include "media/types/MovieFileTypes.h"

#include <QLoggingCategory>
#include <algorithm>
#include <mutex>
#include <vector>

// The module's own failures are the player's: they share its category.
Q_LOGGING_CATEGORY(lcMovieModule, "vistrel.media.mpv", QtWarningMsg)

namespace vistrel {

namespace {

constexpr const char* pathVariable = "VISTREL_MOVIE_MODULE";

QString moduleFileName() {
    return QStringLiteral("libvistrel_movies.so");
}

} // namespace

std::unique_ptr<MovieEngine> MovieModule::createEngine() {
    static std::once_flag loaded;
    static LoadableModule module(moduleFileName(), pathVariable, lcMovieModule);
    static CreateMovieEngine factory = nullptr;
    std::call_once(loaded, [] {
        factory = reinterpret_cast<CreateMovieEngine>(module.resolve(createMovieEngineSymbol));
    });
    if (factory == nullptr)
        return nullptr;
    return std::unique_ptr<MovieEngine>(factory());
}

void MovieModule::loadAheadFor(const std::string& path) {
    if (isMoviePath(path))
        LoadableModule::loadAhead(moduleFileName(), pathVariable);
}

// A movie suffix that is also a picture's loads the module for nothing, which costs a
// worker, not the screen.
bool MovieModule::isMoviePath(const std::string& path) {
    const std::vector<std::string> movieTypes = MovieFileTypes::installed();
    return std::find(movieTypes.begin(), movieTypes.end(),
                     paths::lowercaseAscii(paths::pathExtension(path))) != movieTypes.end();
}

} // namespace vistrel
