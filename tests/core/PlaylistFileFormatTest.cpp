#include "TemporaryFolder.h"
#include "core/playlist/EntryListReader.h"
#include "core/playlist/PlaylistFile.h"
#include "core/playlist/PlaylistJson.h"

#include <chrono>
#include <gmock/gmock.h>
#include <random>

namespace vistrel::test {
namespace {

using playlistfile::Format;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

PlaylistEntry entry(const std::string& path, bool active = false) {
    PlaylistEntry made = PlaylistEntry::forPath(path);
    made.active = active;
    return made;
}

std::vector<std::string> pathsOf(const FileList& list) {
    std::vector<std::string> paths;
    for (const auto& item : list)
        paths.push_back(item.path);
    return paths;
}

std::optional<FileList> roundTrip(const FileList& list, Format format) {
    return playlistfile::parse(playlistfile::serialize(list, format), format, "/elsewhere");
}

TEST(PlaylistFileFormat, NativeFileKeepsOrderMarksKindsAndFurtherKeys) {
    FileList list{entry("/m/b.mov"), entry("/p/a.JPG", true), entry("/p/\"quoted\"\\ and\ttab\n.png")};
    list[0].extra["rating"] = 4;
    list[0].extra["tags"] = {"x", {{"deep", nullptr}}, 2.5};
    list[1].extra["note"] = "héllo";
    const std::string bytes = playlistfile::serialize(list, Format::native);
    EXPECT_THAT(bytes, HasSubstr("\"path\":\"/m/b.mov\",\"name\":\"b.mov\",\"type\":\"mov\",\"active\":false"));
    const auto loaded = playlistfile::parse(bytes, Format::native, "/");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, list);
    EXPECT_TRUE((*loaded)[0].extra["rating"].is_number_integer());
}

// Plain lists are read by a fast path; anything it does not expect goes to the general reader.
TEST(PlaylistFileFormat, FastAndGeneralReadersAgree) {
    FileList list{entry("/p/a b.jpg", true), entry("/p/\xC3\xA9.png")};
    std::string error;
    const std::string plain = playlistfile::serialize(list, Format::native);
    EXPECT_EQ(playlistjson::parsePlainShape(plain), list);
    EXPECT_EQ(playlistjson::parseAnyShape(plain, error), list);
    list[1].extra["rating"] = 3;
    list.push_back(entry("/p/quote\"d.jpg"));
    const std::string rich = playlistfile::serialize(list, Format::native);
    EXPECT_FALSE(playlistjson::parsePlainShape(rich));
    EXPECT_EQ(playlistfile::parse(rich, Format::native, "/"), list);
    EXPECT_FALSE(playlistjson::parsePlainShape(plain + ","));
    EXPECT_FALSE(playlistfile::parse(plain + ",", Format::native, "/"));
}

TEST(PlaylistFileFormat, EmptyListIsAnEmptyArray) {
    EXPECT_EQ(playlistfile::serialize({}, Format::native), "[]\n");
    const auto loaded = playlistfile::parse("[]", Format::native, "/");
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->empty());
}

// Linux file names are bytes: a name in Latin-1 must come back exactly, in both formats.
TEST(PlaylistFileFormat, NamesThatAreNotUtf8SurviveByteForByte) {
    const std::string latin1 = "/photos/K\xF6ln \xE9t\xE9.JP\xC9";
    const FileList list{entry(latin1, true), entry("/ok/\xC3\xA9t\xC3\xA9.jpg")};
    const std::string bytes = playlistfile::serialize(list, Format::native);
    EXPECT_THAT(bytes, HasSubstr("\"path\":\"/photos/K\xEF\xBF\xBDln"));  // readable, U+FFFD for stray bytes
    EXPECT_THAT(bytes, HasSubstr("\"pathBytes\":\"2f70686f746f732f4bf6"));
    EXPECT_EQ(bytes.find("\xC3\xA9t\xC3\xA9.jpg\",\"pathBytes"), std::string::npos); // valid UTF-8 as is
    const auto native = playlistfile::parse(bytes, Format::native, "/");
    ASSERT_TRUE(native);
    EXPECT_EQ(*native, list);
    const auto m3u = roundTrip(list, Format::m3u);
    ASSERT_TRUE(m3u);
    EXPECT_THAT(pathsOf(*m3u), ElementsAre(latin1, "/ok/\xC3\xA9t\xC3\xA9.jpg"));
}

TEST(PlaylistFileFormat, HandWrittenEntriesNeedOnlyAPath) {
    const auto loaded = playlistfile::parse("\xEF\xBB\xBF [ {\"path\": \"/a/Clip.MP4\"} ] ", Format::native, "/");
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->size(), 1u);
    EXPECT_EQ((*loaded)[0], entry("/a/Clip.MP4"));
}

struct Refused {
    const char* what;
    std::string bytes;
};

// Each of these keeps the list in use; none may crash or take long.
std::vector<Refused> refusedNativeFiles() {
    std::mt19937 random(7);
    std::string noise(4096, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    return {
        {"empty file", ""},
        {"truncated", "[{\"path\":\"/a.jpg\",\"name\":\"a.jpg\",\"ty"},
        {"unclosed list", "[{\"path\":\"/a.jpg\"}"},
        {"object instead of a list", "{\"path\":\"/a.jpg\"}"},
        {"string instead of a list", "\"/a.jpg\""},
        {"list of strings", "[\"/a.jpg\"]"},
        {"list of lists", "[[{\"path\":\"/a.jpg\"}]]"},
        {"number where the path belongs", "[{\"path\":12}]"},
        {"number where the name belongs", "[{\"path\":\"/a\",\"name\":3.5}]"},
        {"list where the type belongs", "[{\"path\":\"/a\",\"type\":[\"jpg\"]}]"},
        {"active as a number", "[{\"path\":\"/a\",\"active\":1}]"},
        {"active as a string", "[{\"path\":\"/a\",\"active\":\"YES\"}]"},
        {"entry without a path", "[{\"name\":\"a.jpg\"}]"},
        {"exact bytes that are not hexadecimal", "[{\"path\":\"/a\",\"pathBytes\":\"zz\"}]"},
        {"trailing garbage", "[]x"},
        {"invalid UTF-8 in a string", "[{\"path\":\"/\xFF\"}]"},
        {"UTF-16 with byte order mark", std::string("\xFF\xFE[\0]\0", 6)},
        {"random bytes", noise},
        {"an archive of another program", "bplist00\xD4\x01\x02\x03"},
        {"further value nested too deep", "[{\"path\":\"/a\",\"x\":" + std::string(100, '[') + std::string(100, ']') + "}]"},
    };
}

TEST(PlaylistFileFormat, DamagedOrForeignFilesAreRefusedWithAReason) {
    for (const Refused& file : refusedNativeFiles()) {
        EXPECT_FALSE(playlistfile::parse(file.bytes, Format::native, "/")) << file.what;
        EXPECT_FALSE(playlistfile::lastError().empty()) << file.what;
    }
}

TEST(PlaylistFileFormat, TenMegabytesOfNestingStopAtOnce) {
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(playlistfile::parse(std::string(10'000'000, '['), Format::native, "/"));
    const std::string deepValue = "[{\"path\":\"/a\",\"x\":" + std::string(10'000'000, '[');
    EXPECT_FALSE(playlistfile::parse(deepValue, Format::native, "/"));
    EXPECT_THAT(playlistfile::lastError(), HasSubstr("nested deeper"));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
}

TEST(PlaylistFileFormat, NestingUpToTheLimitIsKept) {
    const std::size_t levels = EntryListReader::maximumDepth - 2; // inside the list and the entry
    const std::string bytes =
        "[{\"path\":\"/a\",\"x\":" + std::string(levels, '[') + std::string(levels, ']') + "}]";
    const auto loaded = playlistfile::parse(bytes, Format::native, "/");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(playlistfile::parse(playlistfile::serialize(*loaded, Format::native), Format::native, "/"), loaded);
}

TEST(PlaylistFileFormat, M3uTakesPathsUrlsAndRelativeNamesAndSkipsTheRest) {
    const std::string bytes = "\xEF\xBB\xBF#EXTM3U\r\n"
                              "#EXTINF:123,Artist - Title\r\n"
                              "/abs/one.mp3\r\n"
                              "\r\n"
                              "   \t\n"
                              "sub/two.flac\n"
                              "  ../three.ogg  \n"
                              "# a comment\n"
                              "file:///with%20space/four%C3%A9.mkv\n"
                              "FILE://localhost/five.avi\n"
                              "http://example.org/stream.mp3\n"
                              "file://nohostpath\n"
                              "/last/without/newline.wav";
    const auto loaded = playlistfile::parse(bytes, Format::m3u, "/lists");
    ASSERT_TRUE(loaded);
    EXPECT_THAT(pathsOf(*loaded),
                ElementsAre("/abs/one.mp3", "/lists/sub/two.flac", "/lists/../three.ogg",
                            "/with space/four\xC3\xA9.mkv", "/five.avi", "http://example.org/stream.mp3",
                            "/last/without/newline.wav"));
    EXPECT_EQ((*loaded)[1].name, "two.flac");
    EXPECT_EQ((*loaded)[3].type, "mkv");
    for (const auto& item : *loaded)
        EXPECT_FALSE(item.active);
}

TEST(PlaylistFileFormat, M3uWithOnlyCommentsIsAnEmptyListAndBinaryIsRefused) {
    const auto comments = playlistfile::parse("#EXTM3U\n#EXTINF:1,x\n\n", Format::m3u, "/");
    ASSERT_TRUE(comments);
    EXPECT_TRUE(comments->empty());
    EXPECT_FALSE(playlistfile::parse(std::string("\xFF\xFE/\0a\0\n\0", 8), Format::m3u, "/"));
}

// Whatever a path holds, the M3U8 written here reads back with the same paths in the same order.
TEST(PlaylistFileFormat, M3u8WrittenHereReadsBackIdentically) {
    const FileList list{entry("/a/line\nbreak.mp4", true), entry("/b/carriage\rreturn.mp4"),
                        entry("/c/trailing space "),        entry("/d/100% #1.png"),
                        entry("/e/\xC3\xA9t\xC3\xA9.jpg"),  entry("http://example.org/x.mp3")};
    const std::string bytes = playlistfile::serialize(list, Format::m3u);
    EXPECT_TRUE(bytes.starts_with("#EXTM3U\nfile:///a/line%0Abreak.mp4\n")) << bytes;
    EXPECT_THAT(bytes, HasSubstr("\n/d/100% #1.png\n"));
    const auto loaded = playlistfile::parse(bytes, Format::m3u, "/other");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(pathsOf(*loaded), pathsOf(list));
}

TEST(PlaylistFileFormat, PlayListsAreKnownByTheirExtension) {
    EXPECT_TRUE(playlistfile::isPlaylistPath("/x/Saved.VistrelPlaylist"));
    EXPECT_TRUE(playlistfile::isPlaylistPath("a.M3U"));
    EXPECT_TRUE(playlistfile::isPlaylistPath("a.m3u8"));
    EXPECT_FALSE(playlistfile::isPlaylistPath("a.mp3"));
    EXPECT_FALSE(playlistfile::isPlaylistPath(".m3u"));
    EXPECT_EQ(playlistfile::formatOf("x.M3U"), Format::m3u);
    EXPECT_EQ(playlistfile::formatOf("x.vistrelplaylist"), Format::native);
}

class PlaylistFileOnDisk : public ::testing::Test {
  protected:
    TemporaryFolder folder;
};

TEST_F(PlaylistFileOnDisk, SavedListLoadsBackAndRelativeM3uPathsFollowTheList) {
    const FileList list{entry("/p/a.jpg"), entry("/p/b.jpg", true)};
    ASSERT_TRUE(playlistfile::save(folder.file("l.vistrelplaylist"), list));
    EXPECT_EQ(playlistfile::load(folder.file("l.vistrelplaylist")), list);
    TemporaryFolder::writeFile(folder.file("rel.m3u"), "clips/c.mp4\n");
    const auto relative = playlistfile::load(folder.file("rel.m3u"));
    ASSERT_TRUE(relative);
    EXPECT_THAT(pathsOf(*relative), ElementsAre(folder.file("clips/c.mp4")));
    EXPECT_EQ(folder.listing(), "l.vistrelplaylist rel.m3u"); // no temporary file left
}

TEST_F(PlaylistFileOnDisk, FailedSavesAndUnreadableFilesAreRefusedWithAReason) {
    std::filesystem::create_directory(folder.file("taken.vistrelplaylist"));
    EXPECT_FALSE(playlistfile::save(folder.file("taken.vistrelplaylist"), {entry("/x.jpg")}));
    EXPECT_FALSE(playlistfile::save(folder.file("missing/l.vistrelplaylist"), {}));
    EXPECT_THAT(playlistfile::lastError(), HasSubstr("missing"));
    EXPECT_EQ(folder.listing(), "taken.vistrelplaylist");
    EXPECT_FALSE(playlistfile::load(folder.file("absent.vistrelplaylist")));
    EXPECT_FALSE(playlistfile::load(folder.file("taken.vistrelplaylist"))); // a folder
    EXPECT_FALSE(playlistfile::load("/dev/zero"));                          // would never end
    EXPECT_THAT(playlistfile::lastError(), HasSubstr("/dev/zero"));
}

} // namespace
} // namespace vistrel::test
