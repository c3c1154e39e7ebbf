#include "ControllerFixture.h"
#include "TemporaryFolder.h"
#include "core/playlist/PlaylistFile.h"

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

class PlaylistFiles : public ControllerFixture {
  protected:
    void SetUp() override {
        start();
        resets = controller->play().changed.connect(
            [this](const PlaylistChange& change) { wholeListSets += change.kind == PlaylistChange::Kind::reset; });
    }

    std::vector<std::string> paths() const {
        std::vector<std::string> result;
        for (const auto& entry : controller->play().fileList())
            result.push_back(entry.path);
        return result;
    }
    void writeList(const std::string& file, const std::vector<std::string>& listed, int marked) {
        FileList list;
        for (const auto& path : listed)
            list.push_back(PlaylistEntry::forPath(path));
        if (marked >= 0)
            list[static_cast<std::size_t>(marked)].active = true;
        ASSERT_TRUE(playlistfile::save(file, list));
    }
    void expectLoadingAlert() const {
        EXPECT_THAT(alerts.warnings,
                    ElementsAre(Pair("\"Warning\"", "Loading the Playlist didn't work....")));
        EXPECT_THAT(alerts.buttons, ElementsAre("Ok"));
    }

    TemporaryFolder folder;
    int wholeListSets = 0;
    Connection resets;
};

TEST_F(PlaylistFiles, SavedListComesBackInItsSavedOrderWithItsMarks) {
    setList({"/p/a.jpg", "/p/b.jpg", "/gone/c.mov"}, 1);
    panels.chosenSaveFile = folder.file("mine.vistrelplaylist");
    controller->saveList();
    EXPECT_THAT(panels.offered, ElementsAre("vistrelplaylist", "m3u8"));
    controller->play().move(0, 2);
    panels.chosenFile = folder.file("mine.vistrelplaylist");
    controller->openList();
    EXPECT_THAT(panels.offered, ElementsAre("vistrelplaylist", "m3u8", "m3u"));
    EXPECT_THAT(paths(), ElementsAre("/p/a.jpg", "/p/b.jpg", "/gone/c.mov"));
    EXPECT_THAT(marks(), ElementsAre(false, true, false));
    EXPECT_THAT(alerts.warnings, IsEmpty());
}

// Loading replaces the list and nothing else: the item on screen, the index and the slide show stay.
TEST_F(PlaylistFiles, LoadingPlaysNothingAndKeepsTheIndex) {
    addPicture("/p/b.jpg");
    controller->applicationOpenFiles({"/p/a.jpg", "/p/b.jpg"});
    controller->playNext();
    ASSERT_EQ(controller->lActualIndex(), 1);
    const auto shown = view.picture;
    const auto decodes = pictures.decoded.size();
    writeList(folder.file("other.vistrelplaylist"), {"/q/x.jpg"}, -1);
    panels.chosenFile = folder.file("other.vistrelplaylist");
    wholeListSets = 0;
    controller->openList();
    EXPECT_THAT(paths(), ElementsAre("/q/x.jpg"));
    EXPECT_EQ(wholeListSets, 1);
    EXPECT_EQ(controller->lActualIndex(), 1);
    EXPECT_EQ(view.picture, shown);
    EXPECT_EQ(pictures.decoded.size(), decodes);
}

TEST_F(PlaylistFiles, CancellingEitherPanelChangesNothingAndShowsNothing) {
    setList({"/p/a.jpg"}, 0);
    controller->saveList();
    controller->openList();
    EXPECT_EQ(panels.savePanelRuns, 1);
    EXPECT_EQ(panels.openFilePanelRuns, 1);
    EXPECT_THAT(paths(), ElementsAre("/p/a.jpg"));
    EXPECT_THAT(alerts.warnings, IsEmpty());
    EXPECT_EQ(folder.listing(), "");
}

TEST_F(PlaylistFiles, AFileThatIsNoPlayListWarnsAndKeepsTheList) {
    setList({"/p/a.jpg", "/p/b.jpg"}, 0);
    TemporaryFolder::writeFile(folder.file("fake.vistrelplaylist"), "\x89PNG\r\n\x1A\n not a list");
    panels.chosenFile = folder.file("fake.vistrelplaylist");
    wholeListSets = 0;
    std::vector<std::string> reasons;
    const Connection logging =
        controller->playlistFiles().failed.connect([&](const std::string& reason) { reasons.push_back(reason); });
    controller->openList();
    expectLoadingAlert();
    EXPECT_THAT(paths(), ElementsAre("/p/a.jpg", "/p/b.jpg"));
    EXPECT_EQ(wholeListSets, 0);
    ASSERT_EQ(reasons.size(), 1u);
    EXPECT_THAT(reasons[0], ::testing::HasSubstr("fake.vistrelplaylist"));
}

TEST_F(PlaylistFiles, AFailedSaveWarnsAndKeepsTheList) {
    setList({"/p/a.jpg"}, 0);
    panels.chosenSaveFile = folder.file("no/such/folder/l.vistrelplaylist");
    controller->saveList();
    EXPECT_THAT(alerts.warnings, ElementsAre(Pair("\"Warning\"", "Saving the Playlist didn't work....")));
    EXPECT_THAT(alerts.buttons, ElementsAre("Ok"));
    EXPECT_THAT(paths(), ElementsAre("/p/a.jpg"));
}

// The worker writes the list as it was when the user saved, whatever happens to it meanwhile.
TEST_F(PlaylistFiles, SaveWritesTheListAsItWasWhenChosen) {
    setList({"/p/a.jpg", "/p/b.jpg"}, 0);
    panels.chosenSaveFile = folder.file("snap.m3u8");
    // Runs the work only when told, after an edit, as a busy worker pool would.
    struct LateWork : BackgroundWork {
        void run(std::function<Finish()> job, WorkPriority) override { jobs.push_back(std::move(job)); }
        std::vector<std::function<Finish()>> jobs;
    } late;
    PlaylistFileCommands commands(controller->play(), panels, alerts, late);
    commands.saveList();
    controller->play().remove(0);
    ASSERT_EQ(late.jobs.size(), 1u);
    late.jobs[0]();
    EXPECT_EQ(TemporaryFolder::readFile(folder.file("snap.m3u8")), "#EXTM3U\n/p/a.jpg\n/p/b.jpg\n");
}

TEST_F(PlaylistFiles, AnM3uLoadsWithNothingMarked) {
    setList({"/p/a.jpg"}, 0);
    TemporaryFolder::writeFile(folder.file("list.m3u"), "#EXTM3U\r\n#EXTINF:1,A\r\nclip.mp4\r\n/abs/b.png\r\n");
    panels.chosenFile = folder.file("list.m3u");
    controller->openList();
    EXPECT_THAT(paths(), ElementsAre(folder.file("clip.mp4"), "/abs/b.png"));
    EXPECT_THAT(marks(), ElementsAre(false, false));
}

// ---------------------------------------------------------------- lists handed to the viewer

TEST_F(PlaylistFiles, AListHandedOverWithNothingOnScreenShowsItsMarkedEntry) {
    addPicture("/q/y.jpg");
    writeList(folder.file("l.vistrelplaylist"), {"/q/x.jpg", "/q/y.jpg"}, 1);
    controller->applicationOpenFiles({folder.file("l.vistrelplaylist")});
    EXPECT_THAT(paths(), ElementsAre("/q/x.jpg", "/q/y.jpg"));
    EXPECT_THAT(pictures.decoded, ElementsAre("/q/y.jpg"));
    EXPECT_EQ(controller->lActualIndex(), 1);
}

TEST_F(PlaylistFiles, AnUnmarkedListHandedOverMarksAndShowsItsFirstEntry) {
    addPicture("/abs/a.png");
    TemporaryFolder::writeFile(folder.file("l.M3U8"), "/abs/a.png\n/abs/b.png\n");
    controller->applicationOpenFiles({folder.file("l.M3U8")});
    EXPECT_THAT(marks(), ElementsAre(true, false));
    EXPECT_THAT(pictures.decoded, ElementsAre("/abs/a.png"));
}

// A list in use, perhaps reordered and unsaved, is never replaced by a list handed
// over: its entries are appended as files are, the first of them marked and shown.
TEST_F(PlaylistFiles, AListHandedOverToAListInUseIsAppendedAndItsFirstEntryShown) {
    addPicture("/p/a.jpg");
    addPicture("/q/x.jpg");
    controller->applicationOpenFiles({"/p/a.jpg", "/p/b.jpg"});
    controller->play().move(0, 1);
    writeList(folder.file("l.vistrelplaylist"), {"/q/x.jpg", "/q/y.jpg"}, 1);
    wholeListSets = 0;
    controller->applicationOpenFiles({folder.file("l.vistrelplaylist"), "/f/one.jpg"});
    EXPECT_THAT(paths(), ElementsAre("/p/b.jpg", "/p/a.jpg", "/q/x.jpg", "/q/y.jpg", "/f/one.jpg"));
    EXPECT_THAT(marks(), ElementsAre(false, false, true, false, false));
    EXPECT_THAT(pictures.decoded, ElementsAre("/p/a.jpg", "/q/x.jpg"));
    EXPECT_EQ(controller->lActualIndex(), 2);
    EXPECT_EQ(wholeListSets, 0);
}

// Into an empty list, files handed over with a list land after its entries; the first of them is shown.
TEST_F(PlaylistFiles, FilesHandedOverWithAListFollowItsEntries) {
    addPicture("/f/one.jpg");
    writeList(folder.file("l.vistrelplaylist"), {"/q/x.jpg", "/q/y.jpg"}, 1);
    controller->applicationOpenFiles({"/f/one.jpg", folder.file("l.vistrelplaylist"), "/f/two.jpg"});
    EXPECT_THAT(paths(), ElementsAre("/q/x.jpg", "/q/y.jpg", "/f/one.jpg", "/f/two.jpg"));
    EXPECT_THAT(marks(), ElementsAre(false, false, true, false));
    EXPECT_THAT(pictures.decoded, ElementsAre("/f/one.jpg"));
    EXPECT_EQ(controller->lActualIndex(), 2);
}

TEST_F(PlaylistFiles, SeveralListsHandedOverAreJoinedKeepingTheFirstMark) {
    writeList(folder.file("a.vistrelplaylist"), {"/a/1.jpg", "/a/2.jpg"}, 1);
    writeList(folder.file("b.vistrelplaylist"), {"/b/3.jpg"}, 0);
    controller->applicationOpenFiles({folder.file("a.vistrelplaylist"), folder.file("b.vistrelplaylist")});
    EXPECT_THAT(paths(), ElementsAre("/a/1.jpg", "/a/2.jpg", "/b/3.jpg"));
    EXPECT_THAT(marks(), ElementsAre(false, true, false));
}

// A damaged list warns once; the files handed over with it still come in as usual.
TEST_F(PlaylistFiles, ADamagedListHandedOverWarnsAndTheOtherFilesStillComeIn) {
    setList({"/old/z.jpg"}, 0);
    TemporaryFolder::writeFile(folder.file("bad.m3u"), std::string("\xFF\xFE\0\0", 4));
    controller->applicationOpenFiles({folder.file("bad.m3u"), folder.file("missing.vistrelplaylist"), "/f/a.jpg"});
    expectLoadingAlert();
    EXPECT_THAT(paths(), ElementsAre("/old/z.jpg", "/f/a.jpg"));
    EXPECT_THAT(marks(), ElementsAre(false, true));

    controller->applicationOpenFiles({folder.file("bad.m3u")});
    EXPECT_EQ(alerts.warnings.size(), 2u);
    EXPECT_THAT(paths(), ElementsAre("/old/z.jpg", "/f/a.jpg"));
    EXPECT_THAT(marks(), ElementsAre(false, true));
}

TEST_F(PlaylistFiles, AFolderNamedLikeAListIsScannedAndTheOpenPanelOffersLists) {
    std::filesystem::create_directories(folder.file("music.m3u"));
    TemporaryFolder::writeFile(folder.file("music.m3u/a.jpg"), "x");
    controller->applicationOpenFiles({folder.file("music.m3u")});
    EXPECT_THAT(paths(), ElementsAre(folder.file("music.m3u/a.jpg")));
    controller->open();
    EXPECT_THAT(panels.offered, ::testing::IsSupersetOf({"jpg", "vistrelplaylist", "m3u8", "m3u"}));
}

// Loading finishes on the GUI thread after the worker read the file; a controller
// that is gone by then is left alone.
TEST_F(PlaylistFiles, LoadingThatFinishesAfterTheControllerIsGoneDoesNothing) {
    writeList(folder.file("l.vistrelplaylist"), {"/q/x.jpg"}, 0);
    work.deferFinish = true;
    controller->applicationOpenFiles({folder.file("l.vistrelplaylist")});
    EXPECT_THAT(paths(), IsEmpty());
    controller = nullptr;
    work.finishAll();
    EXPECT_THAT(alerts.warnings, IsEmpty());
}

} // namespace
} // namespace vistrel::test
