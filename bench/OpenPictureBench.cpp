// How long a large photo takes from intake to being drawn, next to a plain full
// decode of the same file in the same run. The ratio is the figure that matters:
// scaled decoding should make opening far cheaper than decoding every pixel.

#include "BenchViewer.h"
#include "FakeBackgroundWork.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace vistrel;

namespace {

constexpr int rounds = 5;
constexpr QSize photoSize{6000, 4000};
constexpr QSize screenSize{1920, 1080};

QString writePhoto(const QTemporaryDir& dir) {
    const QString path = dir.filePath("photo-6000x4000.jpg");
    bench::writePhoto(path, photoSize);
    return path;
}

double medianMilliseconds(const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return bench::median(times);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QString photo = writePhoto(dir);

    const double fullDecode = medianMilliseconds([&] {
        QImageReader reader(photo);
        reader.setAllocationLimit(1024);
        const QImage image = reader.read();
        if (image.isNull())
            std::fprintf(stderr, "full decode failed\n");
    });

    test::FakeBackgroundWork work;
    bench::BenchViewer viewer(screenSize, work);
    VistrelController& controller = *viewer.controller;

    QImage canvas(screenSize, QImage::Format_RGB32);
    const double openToDrawn = medianMilliseconds([&] {
        controller.play().setFileList({}); // a fresh intake, nothing decoded ahead
        controller.applicationOpenFiles({photo.toStdString()});
        viewer.screen.render(&canvas); // the picture drawn as the screen shows it
    });

    std::printf("photo                      %dx%d JPEG on a %dx%d screen, median of %d\n", photoSize.width(),
                photoSize.height(), screenSize.width(), screenSize.height(), rounds);
    std::printf("full QImageReader decode   %8.1f ms\n", fullDecode);
    std::printf("intake to picture drawn    %8.1f ms\n", openToDrawn);
    std::printf("ratio (drawn / full)       %8.2f\n", openToDrawn / fullDecode);
    return 0;
}
