// Frames written from the menu and the series panel of the whole application.

#include "AppTestFixture.h"
#include "TemporaryFolder.h"
#include "app/AppWindows.h"
#include "app/Fortschritt.h"
#include "app/QtBackgroundWork.h"
#include "app/SeriesPanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using ::testing::ElementsAre;

class FrameCaptureAppTest : public AppTestFixture {
  protected:
    void startWithPicture() {
        settings->strings["ImagePath"] = folder.path();
        pictures->decodable["/pictures/Beach.png"] = {{640.0f, 480.0f}, 6};
        start({"/pictures/Beach.png"});
    }
    void pressSaveFrame() {
        QTest::keyClick(&window(), Qt::Key_S, Qt::ControlModifier);
        ASSERT_TRUE(app->work().waitForIdle());
    }

    TemporaryFolder folder;
};

TEST_F(FrameCaptureAppTest, SaveFrameWritesNumberedFilesAndNeverReplacesOne) {
    startWithPicture();
    pressSaveFrame();
    pressSaveFrame();
    EXPECT_THAT(folder.names(), ElementsAre("Beach_00000.jpg", "Beach_00001.jpg"));
    EXPECT_EQ(folder.read("Beach_00000.jpg").substr(0, 2), "\xFF\xD8");

    folder.write("Beach_00002.jpg", "precious bytes");
    pressSaveFrame();
    EXPECT_EQ(folder.read("Beach_00002.jpg"), "precious bytes");
    ASSERT_EQ(alerts->warnings.size(), 1u);
    EXPECT_EQ(alerts->warnings[0].first, "File Error!");
    EXPECT_EQ(alerts->warnings[0].second,
              "Didn't write File " + folder.file("Beach_00002.jpg") + ", it already exists!");
    EXPECT_EQ(controller().fileIndex(), 3);
}

template <class Widget> Widget* child(QWidget* parent, const char* name) {
    auto* found = parent->findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

TEST_F(FrameCaptureAppTest, ThePanelRunsASeriesAndShowsTheLastFrame) {
    startWithPicture();
    QTest::keyClick(&window(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    SeriesPanel* panel = app->windows().seriesPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    auto* rate = child<QLineEdit>(panel, "shotsPerMinute");
    auto* start = child<QPushButton>(panel, "start");
    auto* stop = child<QPushButton>(panel, "stop");
    auto* close = child<QPushButton>(panel, "close");
    auto* info = child<QLabel>(panel, "infoText");
    ASSERT_TRUE(rate && start && stop && close && info);

    QTest::keyClicks(rate, "600x");
    EXPECT_EQ(controller().shotsPerMinute(), "600x");
    QTest::mouseClick(start, Qt::LeftButton);
    EXPECT_TRUE(controller().makePictureModus());
    EXPECT_FALSE(start->isEnabled());
    EXPECT_FALSE(close->isEnabled());

    // Ten a second: the first frame after a tenth of a second.
    ASSERT_TRUE(QTest::qWaitFor([&] { return info->text() == "Beach_00000.jpg"; }, 5000));
    panel->close(); // the window's own close button: refused while running
    EXPECT_TRUE(panel->isVisible());

    QTest::mouseClick(stop, Qt::LeftButton);
    EXPECT_FALSE(controller().makePictureModus());
    ASSERT_TRUE(app->work().waitForIdle());
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(alerts->warnings.empty());
}

TEST(Fortschritt, BuildsItsWindowWhenFirstNeededAndEmptiesTheBarOnStop) {
    Fortschritt progress;
    EXPECT_EQ(progress.wieWeit, nullptr);
    QWidget* window = progress.window();
    EXPECT_EQ(window->objectName(), "fortschritt");
    ASSERT_NE(progress.wieWeit, nullptr);
    EXPECT_EQ(progress.wieWeit->value(), 0);
    EXPECT_GT(progress.wieWeit->maximum(), progress.wieWeit->minimum()) << "determinate";

    window->show();
    progress.setFortschritt(42.7f);
    EXPECT_EQ(progress.wieWeit->value(), 42);
    progress.Stop();
    EXPECT_EQ(progress.wieWeit->value(), 0);
    EXPECT_FALSE(window->isVisible());
}

} // namespace
} // namespace vistrel::test
