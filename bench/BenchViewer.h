#pragma once

// What the picture benchmarks share: a detailed photo to decode, and the real
// controller over the real view and picture service with fakes for the rest.

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
#include "core/controller/VistrelController.h"
#include "display/VistrelView.h"
#include "media/pictures/QtPictureService.h"

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace vistrel::bench {

// The middle of `times` (which need not be sorted).
inline double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A JPEG of `size` at `path` with detail, so that it is not trivially smooth.
inline void writePhoto(const QString& path, QSize size) {
    QImage photo(size, QImage::Format_RGB32);
    QPainter painter(&photo);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, QColor(30, 80, 160));
    gradient.setColorAt(1, QColor(240, 150, 80));
    painter.fillRect(photo.rect(), gradient);
    for (int i = 0; i < 400; ++i)
        painter.fillRect((i * 7919) % size.width(), (i * 104729) % size.height(), 120, 80,
                         QColor::fromHsv((i * 37) % 360, 200, 220));
    painter.end();
    photo.save(path, "JPEG", 90);
}

// A started controller showing in `view` on a screen of `screenSize`.
class BenchViewer {
  public:
    BenchViewer(QSize screenSize, BackgroundWork& work) : view(&screen) {
        screen.resize(screenSize);
        window.screen = Size{float(screenSize.width()), float(screenSize.height())};
        controller = std::make_unique<VistrelController>(
            ControllerServices{scheduler, settings, window, view, overlay, alerts, panels, movies, pictures,
                               work, pasteboard, opener, windows});
        view.setGeometryTarget(&controller->viewGeometry());
        controller->awakeFromNib();
    }
    // The view outlives the controller, whose geometry it changes.
    ~BenchViewer() { view.setGeometryTarget(nullptr); }

    QWidget screen;
    VistrelView view;
    test::FakeScheduler scheduler;
    test::FakeSettingsStore settings;
    test::FakeMainWindow window;
    test::FakeStatusOverlay overlay;
    test::FakeAlerts alerts;
    test::FakeFilePanels panels;
    test::FakeMovieService movies;
    QtPictureService pictures;
    test::FakePasteboard pasteboard;
    test::FakeDocumentOpener opener;
    test::FakeAuxiliaryWindows windows;
    std::unique_ptr<VistrelController> controller;
};

} // namespace vistrel::bench
