#include "TemporaryFolder.h"
#include "Unprivileged.h"
#include "core/intake/FolderScanner.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Records what a scan delivers; can stop the scan after a number of entries.
class RecordingSink : public FolderScanner::Sink {
  public:
    void found(PlaylistEntry entry) override { entries.push_back(std::move(entry)); }
    void skipped(const std::string& folder, const std::string& reason) override {
        skips.push_back(folder + ": " + reason);
    }
    bool stopped() const override { return entries.size() >= stopAfter; }

    FileList entries;
    std::vector<std::string> skips;
    std::size_t stopAfter = static_cast<std::size_t>(-1);
};

class FolderScannerTest : public ::testing::Test {
  protected:
    void touch(const std::string& relative) const {
        fs::create_directories(fs::path(folder.file(relative)).parent_path());
        TemporaryFolder::writeFile(folder.file(relative), "x");
    }
    // The paths found, relative to the folder.
    std::vector<std::string> relative(const FileList& entries) const {
        std::vector<std::string> result;
        for (const auto& entry : entries)
            result.push_back(entry.path.substr(folder.path().size() + 1));
        return result;
    }

    TemporaryFolder folder;
    const std::vector<std::string> pictures{"jpg", "png"};
    const std::vector<std::string> movies{"mov"};
    const FolderScanner scanner{pictures, movies};
};

// Links are listed by what they point to and never entered; special files are left out.
TEST_F(FolderScannerTest, ListsEachFolderInNaturalOrderDepthFirst) {
    for (const char* name : {"IMG_10.jpg", "IMG_2.jpg", "img_1.JPG", "b/x.png", "A.mov/y.jpg", "notes.txt",
                             "\xff.jpg", "b/c/z.MOV"})
        touch(name);
    fs::create_directory_symlink("..", folder.file("b/up.jpg"));
    fs::create_symlink("IMG_2.jpg", folder.file("alias.png"));
    fs::create_symlink("missing.jpg", folder.file("broken.jpg"));
    fs::create_symlink("/dev/null", folder.file("null.jpg"));
    ASSERT_EQ(::mkfifo(folder.file("pipe.jpg").c_str(), 0600), 0);

    RecordingSink sink;
    scanner.scan(folder.path() + "//", sink);
    EXPECT_THAT(relative(sink.entries),
                ElementsAre("A.mov", "A.mov/y.jpg", "alias.png", "b/c/z.MOV", "b/up.jpg", "b/x.png", "broken.jpg",
                            "img_1.JPG", "IMG_2.jpg", "IMG_10.jpg", "\xff.jpg"));
    EXPECT_TRUE(sink.skips.empty());
    const PlaylistEntry& movie = sink.entries[3];
    EXPECT_EQ(movie.path, folder.path() + "/b/c/z.MOV");
    EXPECT_EQ(movie.name, "z.MOV");
    EXPECT_EQ(movie.type, "mov");
    EXPECT_FALSE(movie.active);
    EXPECT_EQ(scanner.entriesBelow(folder.path()), sink.entries);
}

// Deeper than the scan keeps folders open: it must find its way back up and on.
TEST_F(FolderScannerTest, ScansADeepTreeCompletely) {
    std::string level;
    std::vector<std::string> expected;
    std::vector<std::string> laterBranches;
    for (int depth = 0; depth < 70; ++depth) {
        touch(level + "a.jpg");
        expected.push_back(level + "a.jpg");
        touch(level + "e/f.jpg");
        laterBranches.push_back(level + "e/f.jpg");
        level += "d/";
    }
    // Below each level: a.jpg, then all of d, then e.
    expected.insert(expected.end(), laterBranches.rbegin(), laterBranches.rend());
    EXPECT_EQ(relative(scanner.entriesBelow(folder.path())), expected);
}

TEST_F(FolderScannerTest, SkipsAnUnreadableFolderAndSaysWhy) {
    RecordingSink missing;
    scanner.scan(folder.file("nothing here"), missing);
    EXPECT_TRUE(missing.entries.empty());
    EXPECT_THAT(missing.skips, ElementsAre(folder.file("nothing here") + ": No such file or directory"));

    touch("a.jpg");
    touch("locked/x.jpg");
    touch("z.jpg");
    fs::permissions(folder.file("locked"), fs::perms::none);
    const auto scanSkipsTheLockedFolder = [&] {
        RecordingSink sink;
        scanner.scan(folder.path(), sink);
        return relative(sink.entries) == std::vector<std::string>{"a.jpg", "z.jpg"} && sink.skips.size() == 1 &&
               sink.skips[0].rfind(folder.file("locked") + ": ", 0) == 0;
    };
    if (::geteuid() == 0) {
        // The test's own folder must stay open to the unprivileged user.
        fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                           fs::perms::others_read | fs::perms::others_exec);
        EXPECT_EXIT(
            {
                becomeNobody();
                std::_Exit(scanSkipsTheLockedFolder() ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
        return;
    }
    if (::access(folder.file("locked").c_str(), R_OK) == 0)
        GTEST_SKIP() << "this file system does not restrict reading by mode";
    EXPECT_TRUE(scanSkipsTheLockedFolder());
}

TEST_F(FolderScannerTest, StopsAsSoonAsTheSinkSaysSo) {
    for (int i = 0; i < 50; ++i)
        touch("sub" + std::to_string(i % 5) + "/" + std::to_string(i) + ".jpg");
    RecordingSink sink;
    sink.stopAfter = 3;
    scanner.scan(folder.path(), sink);
    EXPECT_EQ(sink.entries.size(), 3u);
}

} // namespace
} // namespace vistrel::test
