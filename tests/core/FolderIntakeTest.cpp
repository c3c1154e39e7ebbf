#include "ControllerFixture.h"
#include "TemporaryFolder.h"
#include "core/intake/FolderScanner.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <unistd.h>

namespace vistrel::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

// Intake through a worker whose steps wait until the test runs them, one by one
// or all at once, as the GUI thread would receive them.
class StreamingIntake : public ControllerFixture {
  protected:
    void SetUp() override {
        start();
        work.deferFinish = true;
    }
    // `count` pictures in a new folder `name`, named so that hash order would scramble them.
    std::string folderOf(const std::string& name, int count) {
        const std::string path = files.file(name);
        fs::create_directories(path);
        for (int i = count; i > 0; --i) {
            const std::string picture = path + "/IMG_" + std::to_string(i) + ".jpg";
            TemporaryFolder::writeFile(picture, "x");
            pictures.decodable[picture] = {{640.0f, 480.0f}, {}};
        }
        return path;
    }
    std::vector<std::string> listPaths() const {
        std::vector<std::string> result;
        for (const auto& entry : controller->play().fileList())
            result.push_back(entry.path);
        return result;
    }
    std::vector<std::string> scanned(const std::string& folder) const {
        std::vector<std::string> result;
        for (const auto& entry : FolderScanner(pictures.types, movies.types).entriesBelow(folder))
            result.push_back(entry.path);
        return result;
    }

    TemporaryFolder files;
};

TEST_F(StreamingIntake, TheFirstEntryShowsWhileTheRestKeepsArriving) {
    const std::string folder = folderOf("many", 600);
    controller->applicationOpenFiles({folder});
    EXPECT_TRUE(controller->play().fileList().empty()); // nothing waits on the GUI thread

    ASSERT_TRUE(work.finishNext());
    EXPECT_THAT(listPaths(), ElementsAre(folder + "/IMG_1.jpg"));
    EXPECT_THAT(marks(), ElementsAre(true));
    EXPECT_THAT(pictures.decoded, ElementsAre(folder + "/IMG_1.jpg"));
    EXPECT_TRUE(controller->intake().scanning());

    work.finishAll();
    EXPECT_FALSE(controller->intake().scanning());
    EXPECT_EQ(listPaths(), scanned(folder));
    ASSERT_EQ(listPaths().size(), 600u);
    EXPECT_EQ(listPaths()[9], folder + "/IMG_10.jpg");
    EXPECT_EQ(controller->play().firstMarked(), 0u);
    EXPECT_EQ(view.picturesSet, 1); // later batches only append
}

// Each intake lands whole and in turn, as if each had been scanned at once.
TEST_F(StreamingIntake, LaterIntakesLandBehindARunningScan) {
    const std::string first = folderOf("first", 300);
    const std::string second = folderOf("second", 3);
    setList({"/old/0.jpg"}, 0);
    controller->applicationOpenFiles({first, "/direct/a.jpg", second, "/direct/b.jpg"});
    controller->applicationOpenFiles({"/direct/c.jpg"});
    controller->addRecursicveDirectoryInFilelist(second);
    controller->applicationOpenFiles({second});
    EXPECT_THAT(listPaths(), ElementsAre("/old/0.jpg"));

    work.finishAll();
    std::vector<std::string> expected{"/old/0.jpg"};
    const std::vector<std::vector<std::string>> parts{scanned(first),  {"/direct/a.jpg"},
                                                      scanned(second), {"/direct/b.jpg", "/direct/c.jpg"},
                                                      scanned(second), scanned(second)};
    for (const auto& part : parts)
        expected.insert(expected.end(), part.begin(), part.end());
    EXPECT_EQ(listPaths(), expected);
    // The last intake that shows marked its first entry; adding a folder marks nothing.
    EXPECT_EQ(controller->play().firstMarked(), expected.size() - 3);
    // Each showing intake asked for its first entry; the newest request wins the screen.
    EXPECT_EQ(view.picturesSet, 1);
    EXPECT_EQ(controller->lActualIndex(), static_cast<std::int32_t>(expected.size() - 3));
}

TEST_F(StreamingIntake, ReplacingTheListEndsTheScanAndDropsWaitingIntakes) {
    const std::string folder = folderOf("many", 600);
    controller->applicationOpenFiles({folder});
    controller->applicationOpenFiles({"/direct/waiting.jpg"});
    ASSERT_TRUE(work.finishNext());

    setList({"/loaded/a.jpg", "/loaded/b.jpg"}, 1); // as a loaded play list sets it
    EXPECT_FALSE(controller->intake().scanning());
    work.finishAll();
    EXPECT_THAT(listPaths(), ElementsAre("/loaded/a.jpg", "/loaded/b.jpg"));
    EXPECT_THAT(pictures.decoded, ElementsAre(folder + "/IMG_1.jpg"));

    controller->applicationOpenFiles({folderOf("after", 2)}); // intake works on afterwards
    work.finishAll();
    EXPECT_EQ(listPaths().size(), 4u);
}

TEST_F(StreamingIntake, AFolderThatYieldsNothingShowsTheCurrentEntryAgainWhenDone) {
    setList({"/p/0.jpg", "/p/1.jpg"}, 1);
    TemporaryFolder::writeFile(files.file("notes.txt"), "x");
    controller->applicationOpenFiles({files.path()});
    EXPECT_TRUE(pictures.decoded.empty());
    work.finishAll();
    EXPECT_THAT(pictures.decoded, ElementsAre("/p/1.jpg"));
    EXPECT_THAT(marks(), ElementsAre(false, true));
}

// Closing the application mid-scan: the steps still queued find nothing to touch.
TEST_F(StreamingIntake, StepsAfterTheControllerIsGoneDoNothing) {
    const std::string folder = folderOf("many", 600);
    controller->applicationOpenFiles({folder});
    ASSERT_FALSE(work.pending.empty());
    controller.reset();
    work.finishAll(); // under the address sanitizer, a touch of the old controller fails here
}

TEST_F(StreamingIntake, ASkippedFolderIsReported) {
    std::vector<std::string> reasons;
    const Connection logging =
        controller->intake().failed.connect([&](const std::string& reason) { reasons.push_back(reason); });
    controller->applicationOpenFiles({files.path() + "/a", folderOf("b", 1)});
    fs::create_directories(files.file("locked"));
    fs::permissions(files.file("locked"), fs::perms::none);
    controller->addRecursicveDirectoryInFilelist(files.file("locked"));
    work.finishAll();
    EXPECT_THAT(listPaths(), ElementsAre(files.path() + "/a", files.file("b/IMG_1.jpg")));
    if (::access(files.file("locked").c_str(), R_OK) != 0) {
        EXPECT_THAT(reasons, ElementsAre(::testing::StartsWith("folder skipped: " + files.file("locked") + ": ")));
    }
}

} // namespace
} // namespace vistrel::test
