#include "media/MovieModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QLoggingCategory>
#include <mutex>

// The module's own failures are the player's: they share its category.
Q_LOGGING_CATEGORY(lcMovieModule, "vistrel.media.mpv", QtWarningMsg)

namespace vistrel {

namespace {

const QString moduleFileName = QStringLiteral("libvistrel_movies.so");

// Held for the life of the process: unloading mpv while its threads run would crash,
// and a QLibrary that goes away leaves its library loaded.
QLibrary& moduleLibrary() {
    static QLibrary library;
    return library;
}

CreateMovieEngine loadFactory() {
    for (const QString& path : MovieModule::candidatePaths()) {
        if (!QFileInfo(path).isFile())
            continue;
        QLibrary& library = moduleLibrary();
        library.setFileName(path);
        auto factory = reinterpret_cast<CreateMovieEngine>(library.resolve(createMovieEngineSymbol));
        if (factory == nullptr)
            qCWarning(lcMovieModule).noquote() << "cannot load the movie module:" << library.errorString();
        return factory;
    }
    qCWarning(lcMovieModule).noquote()
        << "no movie module found in" << MovieModule::candidatePaths().join(", ");
    return nullptr;
}

} // namespace

QStringList MovieModule::candidatePaths() {
    QStringList paths;
    if (const QString named = qEnvironmentVariable("VISTREL_MOVIE_MODULE"); !named.isEmpty())
        paths << named;
    const QDir programFolder(QCoreApplication::applicationDirPath());
    paths << programFolder.filePath(moduleFileName)
          << QDir::cleanPath(programFolder.filePath(QStringLiteral(VISTREL_MODULE_DIR_FROM_PROGRAM "/") +
                                                    moduleFileName));
    return paths;
}

std::unique_ptr<MovieEngine> MovieModule::createEngine() {
    static std::once_flag loaded;
    static CreateMovieEngine factory = nullptr;
    std::call_once(loaded, [] { factory = loadFactory(); });
    if (factory == nullptr)
        return nullptr;
    return std::unique_ptr<MovieEngine>(factory());
}

} // namespace vistrel
