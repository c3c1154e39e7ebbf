#include "display/CInfoW.h"

#include "PaintCounter.h"
#include "FakeScheduler.h"
#include "display/CInfoView.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

using namespace vistrel;

namespace {

// The item on screen: a plain red area.
class RedItem : public QWidget {
  protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::red); }
};

int channelDistance(QColor a, QColor b) {
    return std::max(
        {std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

class CInfoWTest : public ::testing::Test {
  protected:
    void SetUp() override {
        mainWindow.resize(400, 300);
        QPalette black = mainWindow.palette(); // as the real main window around the item
        black.setColor(QPalette::Window, Qt::black);
        mainWindow.setPalette(black);
        item = new RedItem;
        item->setParent(&mainWindow);
        item->setGeometry(mainWindow.rect());
        mainWindow.show();
    }

    void tick(int ticks, double duration = 1.0) {
        for (int i = 0; i < ticks; ++i)
            scheduler.advance(duration * 0.02);
    }

    test::FakeScheduler scheduler;
    QWidget mainWindow;
    RedItem* item = nullptr;
};

TEST_F(CInfoWTest, PercentTextFadesOutAndStaysAfterHiding) {
    CInfoW overlay(&mainWindow, scheduler, CInfoW::Placement::Layer);
    overlay.showPercent(62.5, "Volume: ", 1.0);
    const CInfoView* view = overlay.view();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->string(), QStringLiteral("Volume: 62 %"));
    EXPECT_TRUE(view->isVisible());
    EXPECT_DOUBLE_EQ(view->opacity(), 0.5);
    tick(50);
    EXPECT_TRUE(view->isVisible());
    EXPECT_LT(view->opacity(), 1e-6);
    tick(1);
    EXPECT_FALSE(view->isVisible());
    EXPECT_EQ(view->string(), QStringLiteral("Volume: 62 %"));
}

// Each paint of a layer also repaints the item under it, so a message is drawn once, at once.
TEST_F(CInfoWTest, MessageIsDrawnAtOnceAndOnlyOnce) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    CInfoW overlay(&mainWindow, scheduler, CInfoW::Placement::Layer);
    test::PaintCounter counter;
    overlay.view()->installEventFilter(&counter);
    for (const char* text : {"first, showing the layer", "second, while shown"}) {
        counter.paints = 0;
        overlay.showText(text, 1.0);
        EXPECT_EQ(counter.paints, 1) << text;
        QCoreApplication::processEvents();
        EXPECT_EQ(counter.paints, 1) << text;
    }
    tick(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 2); // each fade step draws once
}

TEST_F(CInfoWTest, LayerBlendsOverTheItemInsteadOfHidingIt) {
    CInfoW overlay(&mainWindow, scheduler, CInfoW::Placement::Layer);
    ASSERT_TRUE(overlay.isLayer());
    overlay.showText("Stop Loop", 4.0);
    const CInfoView* view = overlay.view();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->geometry(), mainWindow.rect());

    const QImage shot = mainWindow.grab().toImage();
    const QColor background = QApplication::palette().color(QPalette::Window);
    const QColor red(Qt::red);
    const QColor blend((red.red() + background.red()) / 2, (red.green() + background.green()) / 2,
                       (red.blue() + background.blue()) / 2);
    const QColor corner = shot.pixelColor(5, 5); // outside the text rectangle
    EXPECT_LE(channelDistance(corner, blend), 3) << corner.name().toStdString();
}

TEST_F(CInfoWTest, TextIsDrawnDarkInsideItsRectangleOnly) {
    CInfoW overlay(&mainWindow, scheduler, CInfoW::Placement::Layer);
    overlay.showText("MMMM\nMMMM", 4.0);
    // Black at half opacity over the red item is darker than anything else around.
    const QImage shot = mainWindow.grab().toImage();
    const QRectF textRect = CInfoView::textRect(shot.size());
    int darkInside = 0;
    int darkOutside = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (qGray(shot.pixel(x, y)) < 100)
                ++(textRect.contains(x, y) ? darkInside : darkOutside);
    EXPECT_GT(darkInside, 50);
    EXPECT_EQ(darkOutside, 0);
    // The second line starts below the first, from the top of the rectangle.
    EXPECT_EQ(textRect.top(), 30.0);
    EXPECT_EQ(CInfoView::fontPixelSize(QSize(1024, 768)), 46);
}

TEST_F(CInfoWTest, WindowPlacementCoversTheScreenWithoutTakingInputOrFocus) {
    CInfoW overlay(&mainWindow, scheduler, CInfoW::Placement::Window);
    EXPECT_FALSE(overlay.isLayer());
    overlay.showText("Rate: 110 %", 1.0);
    const CInfoView* view = overlay.view();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isWindow());
    EXPECT_TRUE(view->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(view->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(view->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(view->geometry(), mainWindow.screen()->geometry());
}

TEST_F(CInfoWTest, WithoutACompositorTheOverlayIsALayer) {
    if (QApplication::platformName() != QLatin1String("offscreen"))
        GTEST_SKIP() << "only the offscreen platform surely has no compositor";
    CInfoW overlay(&mainWindow, scheduler);
    EXPECT_TRUE(overlay.isLayer());
}

TEST_F(CInfoWTest, DestroyingTheOverlayStopsItsFadeAndOutlivingTheWindowIsSafe) {
    auto window = std::make_unique<QWidget>();
    auto overlay = std::make_unique<CInfoW>(window.get(), scheduler, CInfoW::Placement::Layer);
    overlay->showText("a", 1.0);
    window.reset();
    tick(3);
    overlay->showText("b", 1.0);
    overlay.reset();
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

} // namespace
