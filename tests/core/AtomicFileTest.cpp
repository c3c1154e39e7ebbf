#include "TemporaryFolder.h"
#include "core/files/AtomicFile.h"

#include <gmock/gmock.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace vistrel::test {
namespace {

using atomicfile::Result;
namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
  protected:
    TemporaryFolder folder;
};

TEST_F(AtomicFile, ReplaceWritesAndReplacesLeavingNothingElse) {
    const std::string target = folder.file("list.vistrelplaylist");
    EXPECT_EQ(atomicfile::replace(target, "first"), Result::written);
    EXPECT_EQ(atomicfile::replace(target, "second, longer"), Result::written);
    EXPECT_EQ(atomicfile::replace(target, ""), Result::written);
    EXPECT_EQ(TemporaryFolder::readFile(target), "");
    EXPECT_EQ(folder.listing(), "list.vistrelplaylist");
}

TEST_F(AtomicFile, ReplaceFailsWithoutAFolderOrOnAFolderAndLeavesNoTemporaryFile) {
    EXPECT_EQ(atomicfile::replace(folder.file("missing/x"), "bytes"), Result::failed);
    EXPECT_THAT(atomicfile::lastError(), ::testing::HasSubstr("missing"));
    fs::create_directory(folder.file("taken"));
    TemporaryFolder::writeFile(folder.file("taken/inside"), "kept");
    EXPECT_EQ(atomicfile::replace(folder.file("taken"), "bytes"), Result::failed);
    EXPECT_EQ(TemporaryFolder::readFile(folder.file("taken/inside")), "kept");
    EXPECT_EQ(folder.listing(), "taken");
}

// New files follow the umask; a replaced file keeps the permissions its owner gave it.
TEST_F(AtomicFile, ReplaceKeepsTheOldFilesPermissions) {
    const std::string target = folder.file("private");
    ASSERT_EQ(atomicfile::replace(target, "a"), Result::written);
    struct stat status {};
    ::stat(target.c_str(), &status);
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);
    ::chmod(target.c_str(), 0600);
    ASSERT_EQ(atomicfile::replace(target, "b"), Result::written);
    ::stat(target.c_str(), &status);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(AtomicFile, ALongNameCanStillBeWritten) {
    const std::string longName(250, 'n');
    EXPECT_EQ(atomicfile::replace(folder.file(longName), "x"), Result::written);
    EXPECT_EQ(atomicfile::createNew(folder.file(longName + "2"), "x"), Result::written);
    EXPECT_EQ(folder.listing(), longName + " " + longName + "2");
}

TEST_F(AtomicFile, CreateNewNeverReplacesAnything) {
    const std::string file = folder.file("file");
    EXPECT_EQ(atomicfile::createNew(file, "original"), Result::written);
    EXPECT_EQ(atomicfile::createNew(file, "other"), Result::exists);
    EXPECT_EQ(TemporaryFolder::readFile(file), "original");
    fs::create_directory(folder.file("dir"));
    EXPECT_EQ(atomicfile::createNew(folder.file("dir"), "x"), Result::exists);
    fs::create_symlink(folder.file("nowhere"), folder.file("dangling"));
    EXPECT_EQ(atomicfile::createNew(folder.file("dangling"), "x"), Result::exists);
    EXPECT_FALSE(fs::exists(folder.file("nowhere")));
    EXPECT_EQ(atomicfile::createNew(folder.file("missing/x"), "x"), Result::failed);
    EXPECT_EQ(folder.listing(), "dangling dir file");
}

// A disk that fills up while the file is written: the old file stays whole.
TEST_F(AtomicFile, AFullDiskKeepsTheOldFile) {
    const std::string disk = folder.file("disk");
    fs::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "mounting a small file system is not permitted here";
    struct Unmount {
        std::string at;
        ~Unmount() { ::umount(at.c_str()); }
    } unmount{disk};
    const std::string target = disk + "/list";
    ASSERT_EQ(atomicfile::replace(target, "old"), Result::written);
    const std::string tooMuch(256 * 1024, 'x');
    EXPECT_EQ(atomicfile::replace(target, tooMuch), Result::failed);
    EXPECT_EQ(atomicfile::createNew(disk + "/new", tooMuch), Result::failed);
    EXPECT_THAT(atomicfile::lastError(), ::testing::HasSubstr("No space"));
    EXPECT_EQ(TemporaryFolder::readFile(target), "old");
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(disk))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, std::set<std::string>{"list"});
}

} // namespace
} // namespace vistrel::test
