#include "AppTestFixture.h"
#include "app/AppWindows.h"
#include "app/SeriesPanel.h"
#include "app/MenuCommands.h"
#include "display/VistrelView.h"
#include "playlist/PlaylistWindowView.h"
#include "settings/PreferencesWindow.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>

namespace vistrel::test {
namespace {

class KeyWindowTest : public AppTestFixture {
  protected:
    // The pointer moving to `position` over whatever widget lies there, delivered at
    // once (a real pointer move on X arrives later, from the server).
    void movePointer(QPoint position) {
        QWidget* target = window().childAt(position);
        if (!target)
            target = &window();
        const QPointF global = window().mapToGlobal(QPointF(position));
        QMouseEvent move(QEvent::MouseMove, target->mapFromGlobal(global), global, Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }
};

TEST_F(KeyWindowTest, KeysStepThroughTheListWhileTheMenuBarIsHidden) {
    start(pictureFiles(3));
    ASSERT_FALSE(window().menuBarVisible());
    const std::vector<std::pair<Qt::Key, int>> steps{{Qt::Key_Right, 1},
                                                     {Qt::Key_Space, 2},
                                                     {Qt::Key_Right, 0},
                                                     {Qt::Key_Left, 2},
                                                     {Qt::Key_Backspace, 1}};
    for (const auto& [key, index] : steps) {
        QTest::keyClick(&window(), key);
        EXPECT_EQ(controller().lActualIndex(), index) << QKeySequence(key).toString().toStdString();
    }
}

TEST_F(KeyWindowTest, KeysReachTheCommandsWhenTheViewHasTheFocus) {
    start(pictureFiles(2));
    window().makeViewFirstResponder();
    QTest::keyClick(&app->view(), Qt::Key_Right);
    EXPECT_EQ(controller().lActualIndex(), 1);
}

TEST_F(KeyWindowTest, EscapeAndTheMenuStripBringTheMenuBarBack) {
    start(pictureFiles(1));
    ASSERT_FALSE(window().menuBarVisible());
    QTest::keyClick(&window(), Qt::Key_Escape);
    EXPECT_TRUE(window().menuBarVisible());

    QTest::keyClick(&window(), Qt::Key_M);
    ASSERT_FALSE(window().menuBarVisible());
    movePointer(QPoint(window().width() / 2, window().height() / 2));
    EXPECT_FALSE(window().menuBarVisible()) << "below the strip nothing happens";
    movePointer(QPoint(window().width() / 2, 3));
    EXPECT_TRUE(window().menuBarVisible());
}

TEST_F(KeyWindowTest, StripActsOncePerEntry) {
    start(pictureFiles(1));
    const QPoint inside(window().width() / 3, 5);
    movePointer(inside);
    ASSERT_TRUE(window().menuBarVisible());
    window().setMenuBarVisible(false);
    movePointer(inside + QPoint(10, 0)); // still inside: no new entry
    EXPECT_FALSE(window().menuBarVisible());
    movePointer(QPoint(inside.x(), window().height() - 5));
    movePointer(inside);
    EXPECT_TRUE(window().menuBarVisible());
}

std::unique_ptr<QMimeData> urlData(const QList<QUrl>& urls) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

TEST_F(KeyWindowTest, DroppedFilesAndFoldersReachTheIntakeInOrder) {
    start();
    const auto paths = pictureFiles(2);
    const auto data = urlData({QUrl::fromLocalFile(QString::fromStdString(paths[1])),
                               QUrl::fromLocalFile(QString::fromStdString(paths[0]))});
    const QPointF centre = QRectF(window().rect()).center();

    QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(centre, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window(), &drop);
    EXPECT_TRUE(drop.isAccepted());

    ASSERT_TRUE(QTest::qWaitFor([&] { return controller().play().fileList().size() == 2; }));
    EXPECT_EQ(listPaths(), (std::vector<std::string>{paths[1], paths[0]}));
    settle();
    EXPECT_EQ(pictures->decoded.back(), paths[1]);
}

TEST_F(KeyWindowTest, DesktopLevelTogglesAndTheWindowStaysShownInPlace) {
    start();
    const QRect geometry = window().geometry();
    window().setDesktopLevel(true);
    EXPECT_TRUE(window().isDesktopLevel());
    EXPECT_TRUE(window().windowFlags().testFlag(Qt::WindowStaysOnBottomHint));
    EXPECT_TRUE(window().windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(window().geometry(), geometry);
    window().setDesktopLevel(false);
    EXPECT_FALSE(window().isDesktopLevel());
    EXPECT_TRUE(window().isVisible());
}

TEST_F(KeyWindowTest, StoredSettingsSetOpacityAndLevelAtStartUp) {
    settings->strings["Transparency"] = "0.5";
    settings->strings["MovieOnDesk"] = "true";
    start();
    EXPECT_NEAR(window().windowOpacity(), 0.5, 1.0 / 255); // platforms keep 8 bits
    EXPECT_TRUE(window().isDesktopLevel());
}

// Keys typed on the X server (through XTest, driven by xdotool) reach whatever window
// is in front, as a user's do. Needs an X server; CTest runs it under Xvfb.
class KeysFromEveryWindow : public AppTestFixture {
  protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb")
            GTEST_SKIP() << "real keys need an X server (platform xcb)";
        xdotool = QStandardPaths::findExecutable("xdotool");
        ASSERT_FALSE(xdotool.isEmpty()) << "xdotool is missing: run scripts/install-deps.sh";
    }

    void type(const QStringList& keys) {
        ASSERT_EQ(QProcess::execute(xdotool, QStringList{"key", "--delay", "50"} + keys), 0);
    }
    static void bringToFront(QWidget* window) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    static PreferencesWindow* settingsWindow() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* settings = qobject_cast<PreferencesWindow*>(widget))
                return settings;
        return nullptr;
    }

    QString xdotool;
};

// Commands with Ctrl, Alt or Meta work from the play list, settings and series windows;
// other keys stay with the window in front, and Escape closes the settings window and
// the series panel.
TEST_F(KeysFromEveryWindow, ModifiedKeysRunTheirCommandsAndPlainKeysStayWithTheWindow) {
    start(pictureFiles(3));
    controller().showList();
    PlaylistWindowView* list = app->windows().playlistWindow();
    ASSERT_NE(list, nullptr);
    bringToFront(list);

    type({"Right", "ctrl+comma"});
    ASSERT_TRUE(QTest::qWaitFor([] { return settingsWindow() && settingsWindow()->isVisible(); }));
    EXPECT_EQ(controller().lActualIndex(), 0) << "Right belongs to the play list";
    bringToFront(settingsWindow());
    type({"Escape"});
    EXPECT_TRUE(QTest::qWaitFor([] { return !settingsWindow()->isVisible(); }));

    bringToFront(list);
    type({"ctrl+shift+p"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return app->windows().seriesPanel() && app->windows().seriesPanel()->isVisible(); }));
    SeriesPanel* panel = app->windows().seriesPanel();
    bringToFront(panel);
    type({"l", "Right", "Escape"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !panel->isVisible(); }));
    EXPECT_FALSE(controller().loopModus()) << "L was typed into the panel";
    EXPECT_EQ(controller().lActualIndex(), 0);

    bringToFront(list);
    type({"ctrl+o"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return panels->openPanelRuns == 1; }));
}

} // namespace
} // namespace vistrel::test
