#include "FakeBackgroundWork.h"
#include "FakePlaylistCommands.h"
#include "playlist/PlaylistTableModel.h"
#include "core/playlist/PlaylistWindow.h"
#include "playlist/PlaylistWindowView.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using ::testing::ElementsAre;

// A row dragged with the real pointer: the X server's own button and motion events
// (through the XTest extension, driven by xdotool) run Qt's whole drag and drop.
// Needs an X server; CTest runs it under Xvfb.
class PlaylistRealDrag : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb")
            GTEST_SKIP() << "a real drag needs an X server (platform xcb)";
        xdotool = QStandardPaths::findExecutable("xdotool");
        ASSERT_FALSE(xdotool.isEmpty()) << "xdotool is missing: run scripts/install-deps.sh";
    }

    QPoint rowCentre(const PlaylistWindowView& view, int row) const {
        const QTableView* table = view.table();
        const QRect cell = table->visualRect(view.model()->index(row, PlaylistTableModel::nameColumn));
        return table->viewport()->mapToGlobal(cell.center());
    }

    // Presses at `from`, moves in small steps to `to` and releases there.
    void dragWithPointer(QPoint from, QPoint to) {
        QStringList steps{"mousemove", QString::number(from.x()), QString::number(from.y()), "sleep", "0.2",
                          "mousedown", "1", "sleep", "0.2"};
        constexpr int stepCount = 8;
        for (int i = 1; i <= stepCount; ++i) {
            const QPoint at = from + (to - from) * i / stepCount;
            steps << "mousemove" << QString::number(at.x()) << QString::number(at.y()) << "sleep" << "0.1";
        }
        steps << "sleep" << "0.3" << "mouseup" << "1";
        QProcess pointer;
        pointer.start(xdotool, steps);
        ASSERT_TRUE(pointer.waitForStarted());
        // Qt's drag runs its own event loop inside; keep the outer one turning too.
        EXPECT_TRUE(QTest::qWaitFor([&] { return pointer.state() == QProcess::NotRunning; }, 15000));
        EXPECT_EQ(pointer.exitCode(), 0) << pointer.readAllStandardError().toStdString();
    }

    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : store.fileList())
            result.push_back(entry.name);
        return result;
    }

    QString xdotool;
    PlaylistStore store;
    FakeBackgroundWork work;
    FakePlaylistCommands commands;
};

TEST_F(PlaylistRealDrag, ARowDroppedOnAnotherLandsAboveItCountedWithoutItself) {
    for (const char* name : {"A", "B", "C", "D"})
        store.append({PlaylistEntry::forPath(std::string("/l/") + name)});
    store.setSortDesc({{"name", false}});
    PlaylistWindow logic(store, work, {}, commands);
    PlaylistWindowView view(logic);
    view.move(40, 40);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    ASSERT_THAT(names(), ElementsAre("D", "C", "B", "A"));

    dragWithPointer(rowCentre(view, 0), rowCentre(view, 2)); // D onto B
    // The release may still be on its way from the server when xdotool ends.
    EXPECT_TRUE(QTest::qWaitFor([&] { return store.sortDesc().empty(); }, 5000)) << "no drop arrived";
    EXPECT_THAT(names(), ElementsAre("C", "B", "D", "A"));
}

} // namespace
} // namespace vistrel::test
