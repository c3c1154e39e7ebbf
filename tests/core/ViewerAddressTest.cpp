#include "core/intake/ViewerAddress.h"

#include "TemporaryFolder.h"

#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel::test {
namespace {

using ::testing::HasSubstr;

TEST(ViewerAddressTest, EachUserAndDisplayHasASocketOfItsOwn) {
    EXPECT_EQ(vieweraddress::socketName(":0", 1000), "vistrel-1000-_0.socket");
    EXPECT_EQ(vieweraddress::socketName("wayland-1", 7), "vistrel-7-wayland-1.socket");
    EXPECT_EQ(vieweraddress::socketName("", 7), "vistrel-7-none.socket");
    EXPECT_NE(vieweraddress::socketName(":0", 1000), vieweraddress::socketName(":1", 1000));
    EXPECT_NE(vieweraddress::socketName(":0", 1000), vieweraddress::socketName(":0", 1001));
    EXPECT_EQ(vieweraddress::socketName("../../etc/x", 1), "vistrel-1-.._.._etc_x.socket") << "never a path";

    const std::string longDisplay = "/run/user/1000/" + std::string(60, 'w');
    const auto name = vieweraddress::socketName(longDisplay, 1000);
    EXPECT_LT(name.size(), 50u);
    EXPECT_NE(name, vieweraddress::socketName(longDisplay + "x", 1000));
}

TEST(ViewerAddressTest, TheRuntimeFolderIsUsedWhenItExists) {
    TemporaryFolder runtime;
    EXPECT_EQ(vieweraddress::socketFolder(runtime.path().c_str(), "/nonexistent", ::getuid()).path,
              runtime.path());
}

TEST(ViewerAddressTest, WithoutOneAPrivateFolderIsMadeUnderTheTemporaryRoot) {
    TemporaryFolder root;
    const std::string expected = root.path() + "/vistrel-" + std::to_string(::getuid());
    for (const char* runtime : {static_cast<const char*>(nullptr), "", "relative", "/no/such/folder"}) {
        const auto folder = vieweraddress::socketFolder(runtime, root.path(), ::getuid());
        ASSERT_EQ(folder.path, expected) << folder.problem;
        struct stat status {};
        ASSERT_EQ(::stat(expected.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u);
    }
}

TEST(ViewerAddressTest, AFolderOthersMayEnterOrALinkIsNotUsed) {
    TemporaryFolder root;
    const std::string path = root.path() + "/vistrel-" + std::to_string(::getuid());
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    ::chmod(path.c_str(), 0755);
    auto folder = vieweraddress::socketFolder(nullptr, root.path(), ::getuid());
    EXPECT_FALSE(folder.path);
    EXPECT_THAT(folder.problem, HasSubstr("not a private folder"));

    ASSERT_EQ(::rmdir(path.c_str()), 0);
    TemporaryFolder elsewhere;
    ASSERT_EQ(::symlink(elsewhere.path().c_str(), path.c_str()), 0);
    EXPECT_FALSE(vieweraddress::socketFolder(nullptr, root.path(), ::getuid()).path);

    EXPECT_FALSE(vieweraddress::socketFolder(nullptr, root.file("missing/deeper"), ::getuid()).path);
}

} // namespace
} // namespace vistrel::test
