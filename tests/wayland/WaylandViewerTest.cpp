// The viewer on a Wayland desktop: full-screen, the picture drawn, the status overlay
// over it, and keys working. The compositor is a headless weston, whose screenshots
// come back black: what is drawn is read through the window's own grab.

#include "FakeAlerts.h"
#include "FakeDocumentOpener.h"
#include "FakeFilePanels.h"
#include "FakeMovieService.h"
#include "FakePasteboard.h"
#include "FakeSettingsStore.h"
#include "MediaFixtures.h"
#include "TemporaryFolder.h"
#include "app/Application.h"
#include "app/KeyWindow.h"
#include "core/controller/VistrelController.h"

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>

namespace vistrel::test {
namespace {

void saveSolid(const std::string& path, Qt::GlobalColor colour) {
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(colour);
    image.save(QString::fromStdString(path));
}

class WaylandViewer : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
            GTEST_SKIP() << "needs Qt's Wayland platform: run through run-under-weston.sh";
        saveSolid(folder.file("1-red.png"), Qt::red);
        saveSolid(folder.file("2-green.png"), Qt::green);
        app = std::make_unique<Application>(ApplicationServices{
            std::make_unique<FakeSettingsStore>(), nullptr, std::make_unique<FakeMovieService>(),
            std::make_unique<FakeAlerts>(), std::make_unique<FakeFilePanels>(),
            std::make_unique<FakePasteboard>(), std::make_unique<FakeDocumentOpener>(), nullptr});
        app->start({folder.file("1-red.png"), folder.file("2-green.png")});
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
    }

    KeyWindow& window() { return app->window(); }

    // The compositor's full-screen state, confirmed by the size it configured.
    bool isFullScreen() {
        const QScreen* screen = window().screen();
        return window().windowHandle()->windowStates().testFlag(Qt::WindowFullScreen) && screen &&
               window().size() == screen->size();
    }

    // What the window draws; also kept as a PNG in $VISTREL_TEST_GRABS when it is set,
    // for a look at what a run on a build machine showed.
    QImage shot() {
        const QImage image = window().grab().toImage();
        const QString grabs = qEnvironmentVariable("VISTREL_TEST_GRABS");
        if (!grabs.isEmpty())
            image.save(QStringLiteral("%1/%2.png").arg(grabs, testName()));
        return image;
    }

    static QString testName() {
        return QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    static QColor centreOf(const QImage& image) {
        return image.pixelColor(image.width() / 2, image.height() / 2);
    }

    // A headless weston has no seat, so no keyboard focus comes from the compositor as
    // it does for the window a user works in; it is handed over here instead.
    void takeKeyboardFocus() { QApplication::setActiveWindow(&window()); }

    TemporaryFolder folder;
    std::unique_ptr<Application> app;
};

TEST_F(WaylandViewer, StartsFullScreenWithThePictureDrawn) {
    ASSERT_TRUE(waitUntil([&] { return isFullScreen(); }, std::chrono::seconds(10)))
        << "window " << window().width() << "x" << window().height();
    // The picture is decoded on a worker and drawn once it is back.
    EXPECT_TRUE(waitUntil([&] { return centreOf(shot()) == QColor(Qt::red); }, std::chrono::seconds(10)));
}

TEST_F(WaylandViewer, TheRightArrowShowsTheNextPicture) {
    takeKeyboardFocus();
    QTest::keyClick(&window(), Qt::Key_Right);
    EXPECT_EQ(app->controller().lActualIndex(), 1);
    ASSERT_TRUE(waitUntil([&] { return centreOf(shot()) == QColor(Qt::green); }, std::chrono::seconds(10)));
}

// The status text is drawn inside the main window, over the picture, which stays
// visible under its see-through background.
TEST_F(WaylandViewer, TheStatusOverlayLiesOverThePicture) {
    ASSERT_TRUE(waitUntil([&] { return isFullScreen(); }, std::chrono::seconds(10)));
    ASSERT_TRUE(waitUntil([&] { return centreOf(shot()) == QColor(Qt::red); }, std::chrono::seconds(10)));
    const QImage before = shot();
    takeKeyboardFocus();
    QTest::keyClick(&window(), Qt::Key_I);
    ASSERT_TRUE(waitUntil([&] { return shot() != before; }, std::chrono::seconds(5)));
    const QColor centre = centreOf(shot());
    EXPECT_GT(centre.red(), 2 * std::max(centre.green(), centre.blue())) << centre.name().toStdString();
}

} // namespace
} // namespace vistrel::test
