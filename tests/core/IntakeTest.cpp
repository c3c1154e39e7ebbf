#include "ControllerFixture.h"
#include "Unprivileged.h"
#include "core/intake/FolderScanner.h"

#include <filesystem>
#include <fstream>
#include <cstdio>
#include <cstdlib>
#include <gmock/gmock.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel::test {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

class Intake : public ControllerFixture {
  protected:
    void SetUp() override {
        start();
        listening = controller->play().changed.connect(
            [this](const PlaylistChange& change) { notified += change.kind == PlaylistChange::Kind::inserted; });
    }
    int notified = 0; // edits that added rows
    Connection listening;
};

TEST_F(Intake, ThreeFilesIntoAnEmptyListMarkAndShowTheFirst) {
    addPicture("/p/a.jpg");
    controller->applicationOpenFiles({"/p/a.jpg", "/p/b.jpg", "/p/c.mov"});
    EXPECT_THAT(marks(), ElementsAre(true, false, false));
    EXPECT_EQ(controller->lActualIndex(), 0);
    EXPECT_THAT(pictures.decoded, ElementsAre("/p/a.jpg"));
    EXPECT_EQ(notified, 1);
}

TEST_F(Intake, FilesAddedToALongerListTakeTheMarkFromTheOldCurrentEntry) {
    setList({"/0.jpg", "/1.jpg", "/2.jpg", "/3.jpg", "/4.jpg"}, 3);
    controller->applicationOpenFiles({"/new/5.jpg", "/new/6.jpg"});
    EXPECT_THAT(marks(), ElementsAre(false, false, false, false, false, true, false));
    EXPECT_EQ(controller->lActualIndex(), 5);
    EXPECT_THAT(pictures.decoded, ElementsAre("/new/5.jpg"));
}

TEST_F(Intake, DirectFilesAreTakenWhateverTheirExtensionAndTwice) {
    addPicture("/p/Holiday.JPG");
    controller->applicationOpenFiles({"/p/Holiday.JPG", "/p/readme", "/missing/x.txt"});
    controller->applicationOpenFiles({"/p/Holiday.JPG"});
    const FileList& list = controller->play().fileList();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].type, "jpg");
    EXPECT_EQ(list[1].type, "");
    EXPECT_EQ(list[2].type, "txt");
    EXPECT_THAT(marks(), ElementsAre(false, false, false, true));
    EXPECT_EQ(controller->lActualIndex(), 3);
    EXPECT_EQ(view.picture->extent(), (Size{640.0f, 480.0f}));
}

TEST_F(Intake, NothingHandedInChangesNothing) {
    controller->applicationOpenFiles({});
    EXPECT_TRUE(controller->applicationOpenFile("/p/a.jpg"));
    EXPECT_TRUE(controller->play().fileList().empty());
    EXPECT_EQ(notified, 0);
}

TEST_F(Intake, OpenPanelOffersPictureTypesThenMovieTypes) {
    controller->open();
    std::vector<std::string> expected = pictures.types;
    expected.insert(expected.end(), movies.types.begin(), movies.types.end());
    expected.insert(expected.end(), {"vistrelplaylist", "m3u8", "m3u"}); // play lists load in place of the list
    EXPECT_EQ(panels.offered, expected);
    EXPECT_TRUE(controller->play().fileList().empty());
    EXPECT_EQ(notified, 0);

    panels.chosen = std::vector<std::string>{"/p/a.mov", "/p/b.png"};
    controller->open();
    EXPECT_THAT(marks(), ElementsAre(true, false));
    EXPECT_THAT(movies.opened, ElementsAre("/p/a.mov"));
}

// A real folder on disk, removed afterwards.
class ScannedFolder : public Intake {
  protected:
    void SetUp() override {
        Intake::SetUp();
        root = fs::temp_directory_path() / ("vistrel-intake-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override {
        std::error_code ignored;
        for (const auto& locked : lockedFolders)
            fs::permissions(locked, fs::perms::owner_all, ignored);
        fs::remove_all(root, ignored);
    }
    void touch(const std::string& relative) {
        fs::create_directories((root / relative).parent_path());
        std::ofstream(root / relative) << "x";
    }
    std::vector<std::string> relativePaths() const {
        std::vector<std::string> result;
        const std::string prefix = root.native() + "/";
        for (const auto& entry : controller->play().fileList())
            result.push_back(entry.path.substr(0, prefix.size()) == prefix ? entry.path.substr(prefix.size())
                                                                           : "outside: " + entry.path);
        return result;
    }

    fs::path root;
    std::vector<fs::path> lockedFolders;
};

TEST_F(ScannedFolder, TakesListedTypesAtAnyDepthAndSkipsTheRest) {
    touch("a.mov");
    touch("notes.txt");
    touch("sub/b.png");
    touch("sub/.hidden.JPG");
    touch("sub/deeper/c.MPG");
    touch("noext");
    fs::create_directories(root / "album.mov");
    touch("album.mov/d.jpg");
    fs::create_directory_symlink("..", root / "sub" / "loop.jpg"); // listed, never entered
    touch("\xff\xfe weird.jpg");

    controller->applicationOpenFiles({root.native() + "/"});
    EXPECT_THAT(relativePaths(),
                ElementsAre("a.mov", "album.mov", "album.mov/d.jpg", "sub/.hidden.JPG", "sub/b.png",
                            "sub/deeper/c.MPG", "sub/loop.jpg", "\xff\xfe weird.jpg"));
    const FileList& list = controller->play().fileList();
    const auto b = std::find_if(list.begin(), list.end(), [](const auto& e) { return e.name == "b.png"; });
    ASSERT_NE(b, list.end());
    EXPECT_EQ(b->path, root.native() + "/sub/b.png");
    EXPECT_EQ(b->type, "png");
    EXPECT_EQ(std::count_if(list.begin(), list.end(), [](const auto& e) { return e.active; }), 1);
    EXPECT_TRUE(list.front().active);
}

TEST_F(ScannedFolder, ListsAFolderBeforeItsContents) {
    touch("album.mov/d.jpg");
    touch("album.mov/inner/e.jpg");
    controller->applicationOpenFiles({root.native()});
    EXPECT_THAT(relativePaths(), ElementsAre("album.mov", "album.mov/d.jpg", "album.mov/inner/e.jpg"));
}

TEST_F(ScannedFolder, SkipsAnUnreadableFolderAndGoesOn) {
    touch("a.mov");
    touch("locked/x.jpg");
    touch("open/y.jpg");
    fs::permissions(root / "locked", fs::perms::none);
    lockedFolders.push_back(root / "locked");
    const auto expected = ElementsAre("a.mov", "open/y.jpg");
    const auto scanAndCheck = [&] {
        if (::access((root / "locked").c_str(), R_OK) == 0) {
            std::fprintf(stderr, "the locked folder is still readable\n");
            return 2;
        }
        controller->applicationOpenFiles({root.native()});
        const auto listed = relativePaths();
        if (::testing::Value(listed, expected))
            return 0;
        for (const auto& path : listed)
            std::fprintf(stderr, "listed: %s\n", path.c_str());
        return 1;
    };
    if (::geteuid() == 0) {
        EXPECT_EXIT(
            {
                becomeNobody();
                std::_Exit(scanAndCheck());
            },
            ::testing::ExitedWithCode(0), "");
        return;
    }
    if (::access((root / "locked").c_str(), R_OK) == 0)
        GTEST_SKIP() << "this file system does not restrict reading by mode";
    EXPECT_EQ(scanAndCheck(), 0);
}

TEST_F(ScannedFolder, AFolderWithNothingPlayableShowsTheCurrentEntryAgain) {
    touch("notes.txt");
    addPicture("/p/1.jpg");
    setList({"/p/0.jpg", "/p/1.jpg"}, 1);
    controller->applicationOpenFiles({root.native()});
    EXPECT_EQ(controller->play().fileList().size(), 2u);
    EXPECT_THAT(marks(), ElementsAre(false, true));
    EXPECT_THAT(pictures.decoded, ElementsAre("/p/1.jpg"));
}

// Opening a FIFO without a writer blocks for good, and /dev/zero reads without end:
// such paths are never listed by a scan nor handed to a decoder, which the fakes
// record without opening anything, so a missing check fails rather than hangs.
TEST_F(ScannedFolder, AFifoOrADeviceIsNeitherListedNorOpened) {
    touch("a.jpg");
    ASSERT_EQ(::mkfifo((root / "pipe.jpg").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", root / "zero.mov");
    controller->applicationOpenFiles({root.native()});
    EXPECT_THAT(relativePaths(), ElementsAre("a.jpg"));

    const std::string fifo = (root / "pipe.jpg").native();
    const std::string device = (root / "zero.mov").native();
    pictures.decoded.clear();
    controller->applicationOpenFiles({fifo, device}); // handed over directly: listed, not shown
    controller->playNext();
    EXPECT_THAT(relativePaths(), ElementsAre("a.jpg", "pipe.jpg", "zero.mov"));
    EXPECT_THAT(pictures.decoded, Not(Contains(fifo)));
    EXPECT_THAT(pictures.decoded, Not(Contains(device)));
    EXPECT_TRUE(movies.opened.empty());
}

TEST(FolderScanner, AMissingFolderYieldsNothing) {
    const std::vector<std::string> types{"jpg"};
    EXPECT_TRUE(FolderScanner(types, types).entriesBelow("/nonexistent/vistrel").empty());
}

} // namespace
} // namespace vistrel::test
