// How long the next picture takes from the key to being held by the view, stepping
// through large photos with the real decoder and background work. Warm: the step
// comes a second after the last, so the neighbour was decoded ahead. Cold: a jump to
// a picture nobody decoded yet, measured in the same run as the baseline. Hurried: the
// step comes while the neighbour is still being decoded ahead, which the step takes over.

#include "BenchViewer.h"
#include "FakeAlerts.h"
#include "FakeAuxiliaryWindows.h"
#include "FakeDocumentOpener.h"
#include "FakeFilePanels.h"
#include "FakeMainWindow.h"
#include "FakeMovieService.h"
#include "FakePasteboard.h"
#include "FakeScheduler.h"
#include "FakeSettingsStore.h"
#include "FakeStatusOverlay.h"
#include "app/QtBackgroundWork.h"
#include "TestExecutor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace vistrel;

namespace {

constexpr int rounds = 5;
constexpr QSize photoSize{4000, 3000};
constexpr QSize screenSize{1920, 1080};
// Jumps of this many entries land beyond every neighbour decoded ahead.
constexpr int jump = 3;
constexpr int photoCount = 2 + rounds * (jump + 2);
// Long enough for the decode ahead to have started, far too short for it to end.
constexpr int hurry = 20;

QString writePhoto(const QTemporaryDir& dir) {
    const QString path = dir.filePath("photo-00.jpg");
    bench::writePhoto(path, photoSize);
    return path;
}

// Copies under other names: the same bytes, but each its own file to decode.
std::vector<std::string> writePhotos(const QTemporaryDir& dir) {
    const QString first = writePhoto(dir);
    std::vector<std::string> paths{first.toStdString()};
    for (int i = 1; i < photoCount; ++i) {
        const QString copy = dir.filePath(QString("photo-%1.jpg").arg(i, 2, 10, QChar('0')));
        QFile::copy(first, copy);
        paths.push_back(copy.toStdString());
    }
    return paths;
}

void settle(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
}

// Milliseconds from `step` until the view holds another picture.
double timeToNewPicture(const PictureView& view, const std::function<void()>& step) {
    const auto before = view.ciImage();
    QElapsedTimer timer;
    timer.start();
    step();
    while (view.ciImage() == before && timer.elapsed() < 10000) {
        QCoreApplication::processEvents();
        QThread::usleep(100);
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const std::vector<std::string> photos = writePhotos(dir);

    QtBackgroundWork work{test::testExecutor()};
    bench::BenchViewer viewer(screenSize, work);
    VistrelController& controller = *viewer.controller;
    const PictureView& view = viewer.view;

    controller.applicationOpenFiles(photos);
    work.waitForIdle();

    std::vector<double> warm;
    for (int i = 0; i < rounds; ++i) {
        settle(1000);
        warm.push_back(timeToNewPicture(view, [&] { controller.playNext(); }));
    }
    std::vector<double> cold;
    for (int i = 0; i < rounds; ++i) {
        settle(1000);
        const std::size_t target = static_cast<std::size_t>(controller.lActualIndex() + jump) % photos.size();
        cold.push_back(timeToNewPicture(view, [&] {
            controller.play().markOnly(target);
            controller.playIt();
        }));
    }
    std::vector<double> hurried;
    for (int i = 0; i < rounds; ++i) {
        settle(1000);
        timeToNewPicture(view, [&] { controller.playNext(); });
        settle(hurry);
        hurried.push_back(timeToNewPicture(view, [&] { controller.playNext(); }));
    }
    work.waitForIdle();

    std::printf("photos                     %d %dx%d JPEGs on a %dx%d screen, median of %d\n", photoCount,
                photoSize.width(), photoSize.height(), screenSize.width(), screenSize.height(), rounds);
    std::printf("next picture, decoded ahead %7.1f ms\n", bench::median(warm));
    std::printf("next picture, cold decode   %7.1f ms\n", bench::median(cold));
    std::printf("next picture, ahead running %7.1f ms (the next step %d ms after the last)\n", bench::median(hurried),
                hurry);
    std::printf("ratio (ahead / cold)        %7.2f\n", bench::median(warm) / bench::median(cold));
    std::printf("ratio (running / cold)      %7.2f\n", bench::median(hurried) / bench::median(cold));
    return 0;
}
