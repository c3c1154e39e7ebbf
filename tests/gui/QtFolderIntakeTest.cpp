#include "TemporaryFolder.h"
#include "app/QtBackgroundWork.h"
#include "TestExecutor.h"
#include "core/intake/FolderIntake.h"
#include "core/intake/FolderScanner.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace vistrel::test {
namespace {

const std::vector<std::string> pictureTypes{"jpg"};
const std::vector<std::string> movieTypes{"mov"};

// Folders of pictures, enough for many batches.
void fillTree(const TemporaryFolder& folder, int folders, int filesEach) {
    for (int f = 0; f < folders; ++f) {
        const std::string path = folder.file("album " + std::to_string(f));
        std::filesystem::create_directories(path);
        for (int i = 0; i < filesEach; ++i)
            TemporaryFolder::writeFile(path + "/IMG_" + std::to_string(i) + (i % 9 ? ".jpg" : ".mov"), "");
    }
}

// The scan on a real worker: its batches land on the GUI thread, in order, and the
// list ends as a synchronous scan would leave it.
TEST(QtFolderIntakeTest, BatchesLandOnTheGuiThreadInScanOrder) {
    TemporaryFolder folder;
    fillTree(folder, 20, 150);
    QtBackgroundWork work{test::testExecutor()};
    PlaylistStore play;
    int shown = 0;
    bool elsewhere = false;
    FolderIntake intake(play, work, pictureTypes, movieTypes, [&] { ++shown; });
    const Connection watching = play.changed.connect(
        [&](const PlaylistChange&) { elsewhere |= QThread::currentThread() != qApp->thread(); });

    intake.takeIn({folder.path(), "/direct/after.jpg"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !intake.scanning(); }, 20000));
    FileList expected = FolderScanner(pictureTypes, movieTypes).entriesBelow(folder.path());
    expected.push_back(PlaylistEntry::forPath("/direct/after.jpg"));
    expected.front().active = true;
    EXPECT_EQ(play.fileList(), expected);
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(elsewhere);
}

// Closing mid-scan: the worker stops and its queued steps find nothing to touch.
TEST(QtFolderIntakeTest, DestroyedMidScanLeavesNothingBehind) {
    TemporaryFolder folder;
    fillTree(folder, 40, 200);
    QtBackgroundWork work{test::testExecutor()};
    PlaylistStore play;
    auto intake = std::make_unique<FolderIntake>(play, work, pictureTypes, movieTypes, [] {});
    intake->takeIn({folder.path()});
    intake.reset();
    EXPECT_TRUE(work.waitForIdle(20000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(play.fileList().empty());
}

} // namespace
} // namespace vistrel::test
