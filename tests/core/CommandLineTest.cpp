#include "core/intake/CommandLine.h"

#include "core/intake/ArgumentPaths.h"

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using commandline::Action;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(CommandLineTest, FilesAndTheNewWindowFlagInAnyOrder) {
    const auto request = commandline::parse({"a.png", "--new-window", "-", "b dir/"});
    EXPECT_EQ(request.action, Action::run);
    EXPECT_TRUE(request.newWindow);
    EXPECT_THAT(request.files, ElementsAre("a.png", "-", "b dir/")) << "a lone dash is a file";
    EXPECT_FALSE(commandline::parse({}).newWindow);
}

TEST(CommandLineTest, HelpAndVersionAnswerAtOnce) {
    EXPECT_EQ(commandline::parse({"a.png", "--help", "--bogus"}).action, Action::showHelp);
    EXPECT_EQ(commandline::parse({"-h"}).action, Action::showHelp);
    EXPECT_EQ(commandline::parse({"--version", "x"}).action, Action::showVersion);
    EXPECT_THAT(commandline::usage(), ::testing::HasSubstr("--new-window"));
}

TEST(CommandLineTest, AnUnknownOptionIsNamedWithAHint) {
    for (const char* option : {"--foo", "-x", "--help=yes", "--new-window=1", "-hv"}) {
        const auto request = commandline::parse({"a.png", option});
        EXPECT_EQ(request.action, Action::fail) << option;
        EXPECT_EQ(request.error,
                  "vistrel: unknown option '" + std::string(option) + "'\nTry 'vistrel --help'.\n");
    }
}

TEST(CommandLineTest, DoubleDashEndsTheOptions) {
    const auto request = commandline::parse({"--", "--help", "--", "-x", "--new-window"});
    EXPECT_EQ(request.action, Action::run);
    EXPECT_FALSE(request.newWindow);
    EXPECT_THAT(request.files, ElementsAre("--help", "--", "-x", "--new-window"));
}

struct PathCase {
    const char* name;
    std::vector<std::string> arguments;
    std::vector<std::string> expected;
};

void PrintTo(const PathCase& pathCase, std::ostream* out) {
    *out << pathCase.name;
}

class ArgumentPathsTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(ArgumentPathsTest, ArgumentsBecomeCleanAbsolutePaths) {
    EXPECT_EQ(argumentpaths::resolve(GetParam().arguments, "/work/dir"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ArgumentPathsTest,
    ::testing::Values(
        PathCase{"absolute", {"/a/b.png", "/c/d.mov"}, {"/a/b.png", "/c/d.mov"}},
        PathCase{
            "relative", {"b.png", "../x/./y.jpg", "-"}, {"/work/dir/b.png", "/work/x/y.jpg", "/work/dir/-"}},
        PathCase{"folderWithSlashes", {"/photos//2024/", "/../..", "/"}, {"/photos/2024", "/", "/"}},
        PathCase{"fileUrls",
                 {"file:///a/b%20c.png", "file:/d/e.jpg", "FILE://LocalHost/f/g.png", "file:///h.png?x#y"},
                 {"/a/b c.png", "/d/e.jpg", "/f/g.png", "/h.png"}},
        PathCase{"notLocalLeftOut",
                 {"", "https://example.org/x.png", "file://server/x.png", "file:rel.png", "file:///a%00b.png",
                  "/z.png"},
                 {"/z.png"}},
        PathCase{"colonInAName", {"a:b.png", "c://d"}, {"/work/dir/a:b.png"}},
        PathCase{"nonUtf8BytesKept",
                 {"/Bilder/\xc4ra \xd6lig.JPG", "file:///x/%ff%FE.png", "\xe9t\xe9.png"},
                 {"/Bilder/\xc4ra \xd6lig.JPG", "/x/\xff\xfe.png", "/work/dir/\xe9t\xe9.png"}}),
    [](const ::testing::TestParamInfo<PathCase>& param) { return std::string(param.param.name); });

TEST(ArgumentPathsTest, WithoutAWorkingFolderOnlyAbsolutePathsRemain) {
    EXPECT_THAT(argumentpaths::resolve({"a.png", "/b.png"}, std::nullopt), ElementsAre("/b.png"));
    EXPECT_THAT(argumentpaths::resolve({"a.png"}, std::nullopt), IsEmpty());
}

} // namespace
} // namespace vistrel::test
