#include "playlist/PlaylistStore.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

struct EntryCase {
    std::string path;
    std::string name;
    std::string type;
};

class PlaylistEntryForPath : public ::testing::TestWithParam<EntryCase> {};

TEST_P(PlaylistEntryForPath, DerivesNameAndLowerCaseExtension) {
    const EntryCase& c = GetParam();
    const PlaylistEntry entry = PlaylistEntry::forPath(c.path);
    EXPECT_EQ(entry.path, c.path);
    EXPECT_EQ(entry.name, c.name);
    EXPECT_EQ(entry.type, c.type);
    EXPECT_FALSE(entry.active);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PlaylistEntryForPath,
    ::testing::Values(EntryCase{"/pics/Holiday.JPG", "Holiday.JPG", "jpg"},
                      EntryCase{"/a/b.tar.GZ", "b.tar.GZ", "gz"}, EntryCase{"dir/.hidden", ".hidden", ""},
                      EntryCase{"dir/.hidden.PNG", ".hidden.PNG", "png"}, EntryCase{"a.b/c", "c", ""},
                      EntryCase{"/x/trailing.", "trailing.", ""},
                      EntryCase{"/x/clip.mov/", "clip.mov", "mov"}, EntryCase{"/", "/", ""},
                      EntryCase{"", "", ""}, EntryCase{"/x/\xff\xfe.JPG", "\xff\xfe.JPG", "jpg"}));

FileList entries(std::initializer_list<const char*> paths) {
    FileList list;
    for (const char* path : paths)
        list.push_back(PlaylistEntry::forPath(path));
    return list;
}

std::vector<std::string> names(const FileList& list) {
    std::vector<std::string> result;
    for (const auto& entry : list)
        result.push_back(entry.name);
    return result;
}

TEST(PlaylistStore, StartsEmptyAndNotifiesEverySetEvenOfTheSameList) {
    PlaylistStore store;
    std::vector<std::string> keys;
    store.addObserver([&](const std::string& key) { keys.push_back(key); });
    EXPECT_TRUE(store.fileList().empty());

    store.setFileList(entries({"/a.jpg", "/b.jpg"}));
    const FileList* held = &store.fileList();
    store.setFileList(store.fileList());
    store.setFileList(std::move(store.fileList()));
    EXPECT_EQ(&store.fileList(), held);
    EXPECT_EQ(names(store.fileList()), (std::vector<std::string>{"a.jpg", "b.jpg"}));

    store.setTransparency(1.0f);
    store.setSelIndex({1});
    EXPECT_EQ(keys,
              (std::vector<std::string>{"fileList", "fileList", "fileList", "transparency", "selIndex"}));
}

TEST(PlaylistStore, SortsInPlaceStablyByEntryKeys) {
    PlaylistStore store;
    store.setFileList(entries({"/z/b.png", "/y/a.jpg", "/x/c.png", "/w/d.jpg"}));
    store.fileList()[2].active = true;

    store.setSortDesc({});
    EXPECT_EQ(names(store.fileList()), (std::vector<std::string>{"b.png", "a.jpg", "c.png", "d.jpg"}));

    store.setSortDesc({{"type", true}}); // ties keep their order
    EXPECT_EQ(names(store.fileList()), (std::vector<std::string>{"a.jpg", "d.jpg", "b.png", "c.png"}));

    store.setSortDesc({{"type", false}, {"path", true}});
    EXPECT_EQ(names(store.fileList()), (std::vector<std::string>{"c.png", "b.png", "d.jpg", "a.jpg"}));

    store.setSortDesc({{"active", false}});
    EXPECT_EQ(store.fileList().front().name, "c.png");
    EXPECT_TRUE(store.fileList().front().active);
}

TEST(PlaylistStore, SortsByExtraKeysWithMissingValuesFirst) {
    PlaylistStore store;
    FileList list = entries({"/a", "/b", "/c"});
    list[0].extra["rating"] = 3;
    list[2].extra["rating"] = 1;
    store.setFileList(std::move(list));
    store.setSortDesc({{"rating", true}});
    EXPECT_EQ(names(store.fileList()), (std::vector<std::string>{"b", "c", "a"}));
}

} // namespace
} // namespace vistrel
