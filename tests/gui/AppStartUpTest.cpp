#include "AppTestFixture.h"
#include "app/FileArguments.h"
#include "app/MenuStrip.h"
#include "display/VistrelView.h"

#include <QMenuBar>
#include <QScreen>
#include <cmath>

namespace vistrel::test {
namespace {

using AppStartUpTest = AppTestFixture;

TEST_F(AppStartUpTest, WithoutFilesTheScreenSizedFramelessWindowShowsOnlyTheMenuBar) {
    start();
    KeyWindow& w = window();
    const QScreen* screen = KeyWindow::deepestScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(w.geometry(), screen->geometry());
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(w.screenSize(), (Size{static_cast<float>(screen->geometry().width()),
                                    static_cast<float>(screen->geometry().height())}));
    EXPECT_TRUE(w.menuBarVisible());
    EXPECT_TRUE(w.menuBar()->isVisible());
    EXPECT_EQ(w.content()->geometry(), w.rect()) << "the menu bar lies over the content";
    EXPECT_EQ(app->view().parentWidget(), w.content());
    EXPECT_TRUE(controller().play().fileList().empty());
    EXPECT_TRUE(pictures->decoded.empty());
}

TEST_F(AppStartUpTest, MenuStripIsTheMenuBarHeightPlusTwentyAlongTheTop) {
    start();
    const MenuStrip* strip = window().menuStrip();
    ASSERT_NE(strip, nullptr);
    const int expected = static_cast<int>(window().menuBarHeight() + 20.0f);
    EXPECT_GT(window().menuBarHeight(), 10.0f) << "the menus exist before the strip is sized";
    EXPECT_EQ(strip->geometry(), QRect(0, 0, window().width(), expected));
}

TEST_F(AppStartUpTest, FilesHandedOverAreTakenInOrderAndTheFirstIsShown) {
    const auto paths = pictureFiles(3);
    start(paths);
    EXPECT_EQ(listPaths(), paths);
    EXPECT_EQ(controller().lActualIndex(), 0);
    ASSERT_FALSE(pictures->decoded.empty());
    EXPECT_EQ(pictures->decoded.back(), paths[0]);
    EXPECT_FALSE(window().menuBarVisible()) << "showing an item hides the menu bar";
}

TEST(DroppedUrlsTest, OnlyLocalFilesInTheirOrder) {
    const QList<QUrl> urls{QUrl::fromLocalFile("/b/2.png"), QUrl("https://example.org/1.png"),
                           QUrl::fromLocalFile("/a/dir/"), QUrl()};
    EXPECT_EQ(pathsFromUrls(urls), (std::vector<std::string>{"/b/2.png", "/a/dir"}));
}

} // namespace
} // namespace vistrel::test
