// How long a large photo takes from intake to being drawn, next to a plain full
// decode of the same file in the same run. The ratio is the figure that matters:
// scaled decoding should make opening far cheaper than decoding every pixel.

#include "controller/VistrelController.h"
#include "display/VistrelView.h"
#include "media/QtPictureService.h"

#include "FakeAlerts.h"
#include "FakeAuxiliaryWindows.h"
#include "FakeBackgroundWork.h"
#include "FakeDocumentOpener.h"
#include "FakeFilePanels.h"
#include "FakeMainWindow.h"
#include "FakeMovieService.h"
#include "FakePasteboard.h"
#include "FakeScheduler.h"
#include "FakeSettingsStore.h"
#include "FakeStatusOverlay.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
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
    QImage photo(photoSize, QImage::Format_RGB32);
    QPainter painter(&photo);
    QLinearGradient gradient(0, 0, photoSize.width(), photoSize.height());
    gradient.setColorAt(0, QColor(30, 80, 160));
    gradient.setColorAt(1, QColor(240, 150, 80));
    painter.fillRect(photo.rect(), gradient);
    for (int i = 0; i < 400; ++i) // detail, so the JPEG is not trivially smooth
        painter.fillRect((i * 7919) % photoSize.width(), (i * 104729) % photoSize.height(), 120, 80,
                         QColor::fromHsv((i * 37) % 360, 200, 220));
    painter.end();
    const QString path = dir.filePath("photo-6000x4000.jpg");
    photo.save(path, "JPEG", 90);
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
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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

    QWidget screen;
    screen.resize(screenSize);
    VistrelView view(&screen);
    test::FakeScheduler scheduler;
    test::FakeSettingsStore settings;
    test::FakeMainWindow window;
    window.screen = Size{float(screenSize.width()), float(screenSize.height())};
    test::FakeStatusOverlay overlay;
    test::FakeAlerts alerts;
    test::FakeFilePanels panels;
    test::FakeMovieService movies;
    QtPictureService pictures;
    test::FakeBackgroundWork work;
    test::FakePasteboard pasteboard;
    test::FakeDocumentOpener opener;
    test::FakeAuxiliaryWindows windows;
    VistrelController controller(ControllerServices{scheduler, settings, window, view, overlay, alerts, panels,
                                                    movies, pictures, work, pasteboard, opener, windows});
    view.setMovieController(&controller);
    controller.awakeFromNib();

    QImage canvas(screenSize, QImage::Format_RGB32);
    const double openToDrawn = medianMilliseconds([&] {
        controller.applicationOpenFiles({photo.toStdString()});
        screen.render(&canvas); // the picture drawn as the screen shows it
    });

    std::printf("photo                      %dx%d JPEG on a %dx%d screen, median of %d\n", photoSize.width(),
                photoSize.height(), screenSize.width(), screenSize.height(), rounds);
    std::printf("full QImageReader decode   %8.1f ms\n", fullDecode);
    std::printf("intake to picture drawn    %8.1f ms\n", openToDrawn);
    std::printf("ratio (drawn / full)       %8.2f\n", openToDrawn / fullDecode);
    return 0;
}
