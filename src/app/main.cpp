#include "app/Application.h"
#include "app/KeyWindow.h"
#include "app/RunningViewer.h"
#include "app/StartUpWarmUp.h"
#include "app/ViewerStyle.h"
#include "media/support/WorkPool.h"
#include "app/XScreenProbe.h"
#include "core/intake/ArgumentPaths.h"
#include "core/intake/CommandLine.h"
#include "core/show/PictureSize.h"
#include "core/work/Executor.h"
#include "media/modules/MovieModule.h"
#include "media/movies/ModuleMovieService.h"
#include "media/sandbox/HelperMovieFacts.h"
#include "media/pictures/QtPictureService.h"
#include "media/sandbox/HelperPictureService.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace {

std::optional<std::string> workingFolder() {
    std::error_code error;
    const auto folder = std::filesystem::current_path(error);
    if (error)
        return std::nullopt;
    return folder.native();
}

// Help, version and mistakes are answered before any display is touched, so they
// work on a console with no graphical session. Returns the exit status, or nothing
// when the viewer is to run.
std::optional<int> answeredWithoutViewer(const vistrel::commandline::Request& request) {
    using vistrel::commandline::Action;
    switch (request.action) {
    case Action::showHelp:
        std::fputs(vistrel::commandline::usage().c_str(), stdout);
        return 0;
    case Action::showVersion:
        std::fputs("vistrel " VISTREL_VERSION "\n", stdout);
        return 0;
    case Action::fail:
        std::fputs(request.error.c_str(), stderr);
        return 2;
    case Action::run:
        break;
    }
    return std::nullopt;
}

// The files went to the viewer already running (exit status 0), or it would not
// take them (1); nothing when this one is to be the viewer.
std::optional<int> answeredByRunningViewer(const vistrel::RunningViewer::Claim& claim) {
    if (claim.role == vistrel::RunningViewer::Role::handedOver)
        return 0;
    if (claim.role != vistrel::RunningViewer::Role::failed)
        return std::nullopt;
    std::fprintf(stderr, "vistrel: %s; 'vistrel --new-window' opens a viewer of its own\n",
                 claim.problem.toLocal8Bit().constData());
    return 1;
}

// The first file handed over starts decoding now, in the decoder helper started before
// it, while the application object and the windows are made; if it is no picture, or
// the list starts elsewhere, the work is simply not used. The screen's size is asked of
// X on a worker.
std::unique_ptr<vistrel::HelperPictureService> picturesDecodingFirstOf(std::unique_ptr<vistrel::DecoderHelper> helper,
                                                                      const std::vector<std::string>& paths,
                                                                      vistrel::XScreenProbe& screenProbe,
                                                                      vistrel::Executor& executor) {
    auto pictures = std::make_unique<vistrel::HelperPictureService>(
        std::move(helper), std::make_unique<vistrel::QtPictureService>(vistrel::parallelismOf(executor)));
    if (!paths.empty())
        pictures->decodeAhead(paths.front(), [&screenProbe]() -> std::optional<vistrel::Size> {
            if (const std::optional<vistrel::Size> screen = screenProbe.primaryScreenSize())
                return vistrel::pictureSizeForScreen(*screen);
            return std::nullopt;
        }, executor);
    return pictures;
}

// When the first file handed over is a movie, the movie module and the libraries it
// carries load on a worker while the application object is made; the first movie's
// player then finds them loaded. (The application object's own library loads wait for
// this one, but start-up work that loads nothing goes on beside it.)
void loadMovieModuleAheadFor(const std::vector<std::string>& paths, vistrel::Executor& executor) {
    if (!paths.empty())
        executor.submit([first = paths.front()] { vistrel::MovieModule::loadAheadFor(first); },
                        vistrel::WorkPriority::onScreen);
}

// The size the windows will ask pictures for, now that the toolkit knows the screens.
std::optional<vistrel::Size> neededPictureSize() {
    const vistrel::Size screen = vistrel::KeyWindow::deepestScreenSize();
    if (screen.width <= 0.0f)
        return std::nullopt;
    return vistrel::pictureSizeForScreen(screen);
}

} // namespace

int main(int argc, char** argv) {
    const auto request =
        vistrel::commandline::parse(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
    if (const auto status = answeredWithoutViewer(request))
        return *status;
    const auto folder = workingFolder();
    if (!folder && !request.files.empty())
        std::fputs("vistrel: the current folder cannot be read; relative file names are left out\n", stderr);
    const auto paths = vistrel::argumentpaths::resolve(request.files, folder);

    using Role = vistrel::RunningViewer::Role;
    vistrel::RunningViewer runningViewer(vistrel::RunningViewer::defaultSocketPath());
    const auto claim = runningViewer.claim(paths, request.newWindow);
    if (const auto status = answeredByRunningViewer(claim))
        return *status;

    // The decoder helper starts loading its readers on the other core at once; then the
    // one pool of background workers, so that the first picture is asked for at once.
    std::unique_ptr<vistrel::DecoderHelper> decoderHelper = vistrel::DecoderHelper::startInstalled();
    const std::shared_ptr<vistrel::ThreadPool> executor = vistrel::makeWorkPool();
    vistrel::XScreenProbe screenProbe; // outlives the head start, which is ended with `pictures`
    std::unique_ptr<vistrel::HelperPictureService> pictures =
        picturesDecodingFirstOf(std::move(decoderHelper), paths, screenProbe, *executor);
    loadMovieModuleAheadFor(paths, *executor);
    const vistrel::StartUpWarmUp warmUp(*executor);
    // Qt sees only the program's name: a file called "-style" is a file, not Qt's option.
    // (A program started with no arguments at all, not even its name, gets one.)
    int qtArgumentCount = 1;
    char programName[] = "vistrel";
    char* namedOnly[] = {programName, nullptr};
    QApplication qtApplication(qtArgumentCount, argc > 0 ? argv : namedOnly);
    QCoreApplication::setOrganizationName(QStringLiteral("Vistrel"));
    QCoreApplication::setApplicationName(QStringLiteral("vistrel"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Vistrel"));
    // Lets docks and task switchers match the window to the installed entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("vistrel"));
    screenProbe.toolkitConnected();
    QApplication::setStyle(new vistrel::ViewerStyle);
    pictures->applicationReady(neededPictureSize());

    if (claim.role == Role::toServe && runningViewer.serve() == Role::handedOver)
        return 0;

    vistrel::ApplicationServices services;
    services.pictures = std::move(pictures);
    // Made once the application object has set the user's locale, which the service
    // corrects for the player: a first movie's player starts while the windows are made.
    auto movies = std::make_unique<vistrel::ModuleMovieService>(*executor);
    if (!paths.empty())
        movies->loadAheadFor(paths.front());
    movies->readFactsBehindTheWall(std::make_unique<vistrel::HelperMovieFacts>(
        [] { return vistrel::DecoderHelper::startInstalled(vistrel::DecoderHelper::Reads::movies); }));
    services.movies = std::move(movies);
    services.executor = executor;
    vistrel::Application application(std::move(services));
    if (auto* server = runningViewer.server())
        server->setReceiver([&application](const std::vector<std::string>& handedOver) {
            application.openHandedOver(handedOver);
        });
    application.start(paths);
    return qtApplication.exec();
}
