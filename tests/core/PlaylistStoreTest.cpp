#include "core/playlist/PlaylistStore.h"

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

using Kind = PlaylistChange::Kind;

// Records every announced edit, before and after, as the table model sees them.
struct ChangeLog {
    explicit ChangeLog(PlaylistStore& store)
        : before(store.aboutToChange.connect([this](const PlaylistChange& c) { kinds.push_back("will " + name(c)); })),
          after(store.changed.connect([this](const PlaylistChange& c) {
              kinds.push_back(name(c));
              last = c;
          })) {}
    static std::string name(const PlaylistChange& c) {
        switch (c.kind) {
        case Kind::reset: return "reset";
        case Kind::inserted: return "inserted " + std::to_string(c.first) + "+" + std::to_string(c.count);
        case Kind::removed: return "removed " + std::to_string(c.first);
        case Kind::moved: return "moved " + std::to_string(c.first) + ">" + std::to_string(c.to);
        case Kind::changed: return "changed " + std::to_string(c.first) + "+" + std::to_string(c.count);
        case Kind::reordered: return "reordered";
        }
        return "?";
    }
    Connection before;
    Connection after;
    std::vector<std::string> kinds;
    PlaylistChange last;
};

TEST(PlaylistStore, StartsEmptyAndAnnouncesEverySetEvenOfTheSameEntries) {
    PlaylistStore store;
    ChangeLog log(store);
    EXPECT_TRUE(store.fileList().empty());

    store.setFileList(entries({"/a.jpg", "/b.jpg"}));
    store.resetFileList();
    EXPECT_EQ(names(store.fileList()), (std::vector<std::string>{"a.jpg", "b.jpg"}));
    EXPECT_EQ(log.kinds, (std::vector<std::string>{"will reset", "reset", "will reset", "reset"}));

    int others = 0;
    const Connection a = store.transparencyChanged.connect([&](float) { ++others; });
    const Connection b = store.selIndexChanged.connect([&] { ++others; });
    store.setTransparency(1.0f);
    store.setSelIndex({1});
    EXPECT_EQ(others, 2);
}

TEST(PlaylistStore, EditsAnnounceExactlyTheRowsTheyTouch) {
    PlaylistStore store;
    store.setFileList(entries({"/A", "/B", "/C", "/D"}));
    ChangeLog log(store);

    store.move(0, 2); // A to the line between B and C, after its removal: B, C, A, D
    EXPECT_EQ(names(store.fileList()), (std::vector<std::string>{"B", "C", "A", "D"}));
    store.move(3, 0);
    EXPECT_EQ(names(store.fileList()), (std::vector<std::string>{"D", "B", "C", "A"}));
    store.move(1, 99); // clamped to the last row
    EXPECT_EQ(names(store.fileList()), (std::vector<std::string>{"D", "C", "A", "B"}));
    store.move(2, 2); // nowhere to go: nothing announced
    store.remove(0);
    store.remove(7); // out of range: nothing
    store.insert(1, PlaylistEntry::forPath("/E"));
    store.append(entries({"/F", "/G"}));
    store.append({});
    EXPECT_EQ(names(store.fileList()), (std::vector<std::string>{"C", "E", "A", "B", "F", "G"}));

    store.markOnly(2);
    store.markOnly(4); // rows 2 (unmarked) to 4 (marked)
    store.markOnly(4); // already so: nothing
    store.markOnly(PlaylistStore::npos);
    EXPECT_EQ(store.firstMarked(), PlaylistStore::npos);
    EXPECT_EQ(log.kinds,
              (std::vector<std::string>{"will moved 0>2", "moved 0>2", "will moved 3>0", "moved 3>0",
                                        "will moved 1>3", "moved 1>3", "will removed 0", "removed 0",
                                        "will inserted 1+1", "inserted 1+1", "will inserted 4+2", "inserted 4+2",
                                        "will changed 2+1", "changed 2+1", "will changed 2+3", "changed 2+3",
                                        "will changed 4+1", "changed 4+1"}));
}

TEST(PlaylistStore, AConnectionEndsWithItsHandleAndMayOutliveTheStore) {
    Connection kept;
    int heard = 0;
    {
        PlaylistStore store;
        {
            const Connection scoped = store.changed.connect([&](const PlaylistChange&) { ++heard; });
            store.resetFileList();
        }
        store.resetFileList();
        kept = store.changed.connect([&](const PlaylistChange&) { ++heard; });
        // A slot that ends its own connection while the event is delivered.
        Connection self;
        self = store.changed.connect([&](const PlaylistChange&) { self.reset(); ++heard; });
        store.resetFileList();
        store.resetFileList();
        EXPECT_EQ(store.changed.connectionCount(), 1u);
    }
    EXPECT_EQ(heard, 1 + 2 + 1);
    kept.reset(); // the store is gone: nothing to do, nothing to crash
}

TEST(PlaylistStore, SortingAnnouncesThePermutation) {
    PlaylistStore store;
    store.setFileList(entries({"/c", "/a", "/b"}));
    ChangeLog log(store);
    store.setSortDesc({{"name", true}});
    EXPECT_EQ(log.last.kind, Kind::reordered);
    EXPECT_EQ(log.last.order, (std::vector<std::size_t>{1, 2, 0}));
    store.setSortDesc({}); // no key: the order stays and no rows move
    EXPECT_EQ(log.kinds.size(), 2u);
}

TEST(PlaylistStore, SortsInPlaceStablyByEntryKeys) {
    PlaylistStore store;
    store.setFileList(entries({"/z/b.png", "/y/a.jpg", "/x/c.png", "/w/d.jpg"}));
    store.markOnly(2);

    store.setSortDesc({});
    EXPECT_EQ(names(store.fileList()), (std::vector<std::string>{"b.png", "a.jpg", "c.png", "d.jpg"}));

    store.setSortDesc({{"type", true}}); // ties keep their order
    EXPECT_EQ(names(store.fileList()), (std::vector<std::string>{"a.jpg", "d.jpg", "b.png", "c.png"}));
    store.setSortDesc({{"type", false}}); // also downwards
    EXPECT_EQ(names(store.fileList()), (std::vector<std::string>{"b.png", "c.png", "a.jpg", "d.jpg"}));

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
