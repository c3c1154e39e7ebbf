// Resident memory while the viewer switches between two 1080p H.264 movies 240 times
// (open, draw the first frame at screen size, close), through the real movie service
// and its module; and the time from asking for a 1080p movie to its first frame drawn.
// The figure that matters is the ratio of resident memory after the last switch to that
// after the first: a player that keeps what each movie freed grows it switch by switch.

#include "MediaFixtures.h"
#include "OpenedMovie.h"
#include "media/movies/MovieFrameSource.h"
#include "media/modules/MovieModule.h"
#include "media/movies/ModuleMovieService.h"
#include "TestExecutor.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <unistd.h>
#include <vector>

using namespace vistrel;

namespace {

constexpr int switches = 240;
constexpr int timedOpenings = 7;
constexpr QSize screenSize{1920, 1080};

// Made once and kept under /tmp, so later runs start at once.
QString generatedMovie(const QString& name, const QString& source) {
    const QString folder = QDir::temp().filePath(QStringLiteral("vistrel-bench-movies"));
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name);
    if (QFileInfo(path).size() > 0)
        return path;
    const QString partial = path + QStringLiteral(".part.mp4");
    const int status =
        QProcess::execute(QStringLiteral("ffmpeg"), {"-loglevel",
                                                     "error",
                                                     "-y",
                                                     "-f",
                                                     "lavfi",
                                                     "-i",
                                                     source + "=size=1920x1080:rate=30:duration=3",
                                                     "-f",
                                                     "lavfi",
                                                     "-i",
                                                     "sine=frequency=440:duration=3",
                                                     "-c:v",
                                                     "libx264",
                                                     "-preset",
                                                     "veryfast",
                                                     "-pix_fmt",
                                                     "yuv420p",
                                                     "-c:a",
                                                     "aac",
                                                     "-shortest",
                                                     partial});
    if (status != 0 || !QFile::rename(partial, path)) {
        QFile::remove(partial);
        return {};
    }
    return path;
}

double residentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Opens the movie and draws its first frame as the view does; false when either failed.
bool showFirstFrame(MovieService& movies, const QString& path) {
    const std::shared_ptr<Movie> movie = test::openedMovie(movies, path.toStdString());
    auto* source = dynamic_cast<MovieFrameSource*>(movie.get());
    if (source == nullptr)
        return false;
    return !source->frames()->render(screenSize).isNull();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("VISTREL_MOVIE_MODULE"))
        qputenv("VISTREL_MOVIE_MODULE", VISTREL_MOVIE_MODULE);
    QGuiApplication app(argc, argv);
    const QString first = generatedMovie(QStringLiteral("testsrc-1080p.mp4"), QStringLiteral("testsrc"));
    const QString second = generatedMovie(QStringLiteral("testsrc2-1080p.mp4"), QStringLiteral("testsrc2"));
    if (first.isEmpty() || second.isEmpty()) {
        std::printf("movie switch: skipped, ffmpeg could not make the movies\n");
        return 0;
    }

    QElapsedTimer clock;
    clock.start();
    const bool loaded = MovieModule::createEngine() != nullptr;
    std::printf("loading the movie module (libmpv, libav*): %.1f ms%s\n",
                static_cast<double>(clock.nsecsElapsed()) / 1e6, loaded ? "" : ", failed");
    ModuleMovieService movies{test::testExecutor()};
    clock.restart();
    if (!showFirstFrame(movies, first)) {
        std::printf("movie switch: the movie did not open\n");
        return 1;
    }
    std::printf("first movie, player start included: %.1f ms\n",
                static_cast<double>(clock.nsecsElapsed()) / 1e6);

    std::vector<double> times;
    for (int i = 0; i < timedOpenings; ++i) {
        clock.restart();
        showFirstFrame(movies, i % 2 == 0 ? second : first);
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("1080p H.264 to first frame (median of %d): %.1f ms\n", timedOpenings, median(times));

    double afterFirst = 0.0;
    int failed = 0;
    for (int i = 0; i < switches; ++i) {
        failed += showFirstFrame(movies, i % 2 == 0 ? first : second) ? 0 : 1;
        if (i == 0)
            afterFirst = residentMiB();
    }
    const double afterAll = residentMiB();
    std::printf("resident after the first switch: %.1f MiB, after %d: %.1f MiB, ratio %.2f (goal <= 1.2)%s\n",
                afterFirst, switches, afterAll, afterAll / afterFirst, failed > 0 ? ", some failed" : "");
    return failed > 0 ? 1 : 0;
}
