#include "media/modules/MovieModule.h"

#include "media/modules/LoadableModule.h"

#include <QLoggingCategory>
#include <mutex>

// The module's own failures are the player's: they share its category.
Q_LOGGING_CATEGORY(lcMovieModule, "vistrel.media.mpv", QtWarningMsg)

namespace vistrel {

std::unique_ptr<MovieEngine> MovieModule::createEngine() {
    static std::once_flag loaded;
    static LoadableModule module(QStringLiteral("libvistrel_movies.so"), "VISTREL_MOVIE_MODULE",
                                 lcMovieModule);
    static CreateMovieEngine factory = nullptr;
    std::call_once(loaded, [] {
        factory = reinterpret_cast<CreateMovieEngine>(module.resolve(createMovieEngineSymbol));
    });
    if (factory == nullptr)
        return nullptr;
    return std::unique_ptr<MovieEngine>(factory());
}

} // namespace vistrel
