// An animated picture handed to the viewer plays on the screen of an X server.

#include "FakeAlerts.h"
#include "FakeDocumentOpener.h"
#include "FakeFilePanels.h"
#include "FakeMovieService.h"
#include "FakePasteboard.h"
#include "FakeSettingsStore.h"
#include "MediaFixtures.h"
#include "app/Application.h"

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <chrono>
#include <gtest/gtest.h>

namespace vistrel::test {
namespace {

using namespace std::chrono_literals;

QColor screenCentre() {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen->geometry();
    return screen->grabWindow(0, area.center().x(), area.center().y(), 1, 1).toImage().pixelColor(0, 0);
}

bool near(const QColor& shown, const QColor& colour) {
    return std::abs(shown.red() - colour.red()) < 16 && std::abs(shown.green() - colour.green()) < 16 &&
           std::abs(shown.blue() - colour.blue()) < 16;
}

// blink.gif is red, then blue, a quarter of a second each.
TEST(AnimatedPictureViewer, BothColoursOfATwoFrameGifReachTheScreenWithinTwoPeriods) {
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "reading the screen needs an X server (platform xcb)";
    Application app(ApplicationServices{
        std::make_unique<FakeSettingsStore>(), nullptr, std::make_unique<FakeMovieService>(),
        std::make_unique<FakeAlerts>(), std::make_unique<FakeFilePanels>(), std::make_unique<FakePasteboard>(),
        std::make_unique<FakeDocumentOpener>(), nullptr});
    app.start({MediaFixtures::get().file("blink.gif")});
    ASSERT_TRUE(waitUntil([] { return near(screenCentre(), Qt::red) || near(screenCentre(), Qt::blue); }, 10s))
        << "nothing shown";
    constexpr auto twoPeriods = 1000ms;
    bool red = false;
    bool blue = false;
    EXPECT_TRUE(waitUntil([&] {
        const QColor shown = screenCentre();
        red = red || near(shown, Qt::red);
        blue = blue || near(shown, Qt::blue);
        return red && blue;
    }, twoPeriods)) << "red " << red << ", blue " << blue;
}

} // namespace
} // namespace vistrel::test
