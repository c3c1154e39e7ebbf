#include "ControllerFixture.h"
#include "FakePlaylistCommands.h"
#include "FakePlaylistWindowSurface.h"
#include "core/playlist/PlaylistWindow.h"

#include <gmock/gmock.h>

#include <map>

namespace vistrel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The window logic over a started controller, with a fake window and an information
// reader that answers with a text per path (none for paths it was not told about).
class PlaylistWindowTest : public ControllerFixture {
  protected:
    void SetUp() override {
        start();
        window = std::make_unique<PlaylistWindow>(controller->play(), work, [this](const std::string& path) {
            const auto found = infoTexts.find(path);
            return found == infoTexts.end() ? std::nullopt : std::optional<std::string>(found->second);
        }, *controller);
        window->windowDidLoad(&surface);
    }

    // Entries A, B, C, D (or the given names) as /l/<name>.jpg, all decodable, `marked` marked.
    void setNames(const std::vector<std::string>& names, int marked = -1) {
        std::vector<std::string> paths;
        for (const auto& name : names) {
            paths.push_back(path(name));
            addPicture(paths.back());
        }
        setList(paths, marked);
    }
    static std::string path(const std::string& name) { return "/l/" + name + ".jpg"; }
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : store().fileList())
            result.push_back(entry.name.substr(0, entry.name.size() - 4));
        return result;
    }
    PlaylistStore& store() const { return controller->play(); }
    void select(std::set<int> rows) { store().setSelIndex(std::move(rows)); }
    std::string lastShown() const { return pictures.decoded.empty() ? "" : pictures.decoded.back(); }

    FakePlaylistWindowSurface surface;
    std::map<std::string, std::string> infoTexts;
    std::unique_ptr<PlaylistWindow> window;
    FakePlaylistCommands ignoredCommands;
};

TEST_F(PlaylistWindowTest, ControllerMakesTheWindowLogicAtStartUpOnItsOwnList) {
    PlaylistWindow* made = controller->playlistWindow();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(&made->commands(), controller.get());
    EXPECT_EQ(&made->store(), &controller->play());
    EXPECT_TRUE(made->store().fileList().empty());
}

TEST_F(PlaylistWindowTest, LoadingTheWindowMakesItOpaqueAndTheWindowFollowsTransparency) {
    EXPECT_EQ(surface.alpha, 1.0f);
    window->setTransparency(0.5f);
    EXPECT_EQ(surface.alpha, 0.5f);
    EXPECT_EQ(window->transparency(), 0.5f);
}

// ---------------------------------------------------------------- dragging

TEST_F(PlaylistWindowTest, ADragCarriesOnlyTheFirstSelectedRowsPath) {
    setNames({"A", "B", "C", "D"});
    EXPECT_EQ(window->tableViewWriteRows({3, 1, 2}), path("B"));
    EXPECT_EQ(window->tableViewWriteRows({}), std::nullopt);
    EXPECT_EQ(window->tableViewWriteRows({7}), std::nullopt);

    // Only that entry moves, whatever else was selected.
    window->tableViewAcceptDrop(window->tableViewWriteRows({1, 2}), 4);
    EXPECT_THAT(names(), ElementsAre("A", "C", "D", "B"));
}

TEST_F(PlaylistWindowTest, OnlyPlainTextMayBeDropped) {
    EXPECT_EQ(PlaylistWindow::tableViewValidateDrop(true), PlaylistWindow::DragOperation::move);
    EXPECT_EQ(PlaylistWindow::tableViewValidateDrop(false), PlaylistWindow::DragOperation::none);
}

struct DropCase {
    std::string dragged;
    std::size_t row;
    std::vector<std::string> expected;
};

class DropArithmetic : public PlaylistWindowTest, public ::testing::WithParamInterface<DropCase> {};

TEST_P(DropArithmetic, TheRowCountsInTheListWithoutTheDraggedEntry) {
    setNames({"A", "B", "C", "D"});
    EXPECT_TRUE(window->tableViewAcceptDrop(path(GetParam().dragged), GetParam().row));
    EXPECT_EQ(names(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DropArithmetic,
    ::testing::Values(DropCase{"A", 2, {"B", "C", "A", "D"}},  // down: one below the line
                      DropCase{"A", 4, {"B", "C", "D", "A"}},  // below the last row, clamped
                      DropCase{"A", 99, {"B", "C", "D", "A"}}, //
                      DropCase{"D", 1, {"A", "D", "B", "C"}},  // up: exactly at the line
                      DropCase{"C", 0, {"C", "A", "B", "D"}},  //
                      DropCase{"B", 1, {"A", "B", "C", "D"}})); // onto itself

TEST_F(PlaylistWindowTest, WithDuplicatePathsTheLowerEntryMovesWhicheverWasDragged) {
    setNames({"A", "X", "B", "X"});
    store().markOnly(3); // tells the two X apart
    window->tableViewAcceptDrop(window->tableViewWriteRows({3}), 0);
    EXPECT_THAT(names(), ElementsAre("X", "A", "B", "X"));
    EXPECT_FALSE(store().fileList()[0].active);
    EXPECT_TRUE(store().fileList()[3].active);
}

TEST_F(PlaylistWindowTest, ForeignTextIsAcceptedAndChangesNothingWhileAMatchingPathMoves) {
    setNames({"A", "B", "C"});
    store().setSortDesc({{"name", false}});
    int resets = 0;
    const Connection counter = store().changed.connect([&](const PlaylistChange&) { ++resets; });
    EXPECT_TRUE(window->tableViewAcceptDrop(std::string("hello from elsewhere"), 0));
    EXPECT_TRUE(window->tableViewAcceptDrop(std::nullopt, 0));
    EXPECT_TRUE(window->tableViewAcceptDrop(path("a"), 0)) << "paths compare case-sensitively";
    EXPECT_THAT(names(), ElementsAre("C", "B", "A"));
    EXPECT_EQ(resets, 0);
    EXPECT_FALSE(store().sortDesc().empty());

    EXPECT_TRUE(window->tableViewAcceptDrop(path("A"), 0));
    EXPECT_THAT(names(), ElementsAre("A", "C", "B"));
}

TEST_F(PlaylistWindowTest, ADropClearsTheSortOrderAndAHeaderClickSortsAgain) {
    setNames({"C", "A", "B"});
    store().setSortDesc({{"name", true}});
    ASSERT_THAT(names(), ElementsAre("A", "B", "C"));
    int sortOrderChanges = 0;
    const Connection counter = store().sortDescChanged.connect([&] { ++sortOrderChanges; });

    window->tableViewAcceptDrop(path("A"), 3);
    EXPECT_THAT(names(), ElementsAre("B", "C", "A"));
    EXPECT_THAT(store().sortDesc(), IsEmpty());
    EXPECT_EQ(sortOrderChanges, 1);

    store().setSortDesc({{"name", true}});
    EXPECT_THAT(names(), ElementsAre("A", "B", "C"));
}

TEST_F(PlaylistWindowTest, SortingKeepsTheMarkedEntryCurrentAndChangesThePlayOrder) {
    setNames({"B", "C", "A"}, 0);
    ASSERT_EQ(controller->getURL(), path("B"));
    store().setSortDesc({{"name", false}});
    EXPECT_THAT(names(), ElementsAre("C", "B", "A"));
    EXPECT_EQ(controller->getURL(), path("B"));
    controller->playNext();
    EXPECT_EQ(lastShown(), path("A"));
}

// ---------------------------------------------------------------- play, loop, remove

TEST_F(PlaylistWindowTest, PlayMarksTheFirstSelectedEntryAndShowsIt) {
    setNames({"A"});
    select({0});
    window->play();
    EXPECT_THAT(marks(), ElementsAre(true));
    EXPECT_EQ(lastShown(), path("A"));
    EXPECT_EQ(controller->lActualIndex(), 0);

    setNames({"A", "B", "C"}, 0);
    select({2, 1});
    window->play();
    EXPECT_THAT(marks(), ElementsAre(false, true, false));
    EXPECT_EQ(lastShown(), path("B"));
    EXPECT_EQ(controller->lActualIndex(), 1);
}

TEST_F(PlaylistWindowTest, WithoutASelectionNothingIsMarkedOrShown) {
    setNames({"A", "B"}, 0);
    work.deferFinish = true;
    for (const std::set<int>& selection : {std::set<int>{}, std::set<int>{5}}) {
        select(selection);
        window->play();
        window->loop();
        window->remove();
        window->showInfo();
    }
    EXPECT_THAT(marks(), ElementsAre(true, false));
    EXPECT_THAT(pictures.decoded, IsEmpty());
    EXPECT_EQ(store().fileList().size(), 2u);
    EXPECT_THAT(work.pending, IsEmpty());
}

TEST_F(PlaylistWindowTest, LoopAndDoubleClickShowTheSelectionWithoutStartingTheSlideShow) {
    setNames({"A", "B", "C"}, 0);
    select({2});
    window->doubleClick();
    EXPECT_THAT(marks(), ElementsAre(false, false, true));
    EXPECT_EQ(lastShown(), path("C"));
    EXPECT_FALSE(controller->loopModus());
}

TEST_F(PlaylistWindowTest, ReturnPlaysTheSelectionAndOtherKeysDoNothing) {
    setNames({"A", "B"}, 0);
    select({1});
    window->keyDown(PlaylistWindow::Key::other);
    EXPECT_THAT(pictures.decoded, IsEmpty());
    window->keyDown(PlaylistWindow::Key::returnKey);
    EXPECT_THAT(marks(), ElementsAre(false, true));
    EXPECT_EQ(lastShown(), path("B"));
}

TEST_F(PlaylistWindowTest, StopLoopAndInsertGoToTheController) {
    setNames({"A"}, 0);
    controller->setLoopMode();
    window->stopLoop();
    EXPECT_FALSE(controller->loopModus());
    EXPECT_EQ(overlay.lastShown(), "Stop Loop");

    panels.chosen = std::vector<std::string>{path("N")};
    window->insert();
    EXPECT_EQ(panels.openPanelRuns, 1);
    EXPECT_THAT(names(), ElementsAre("A", "N"));

    PlaylistWindow elsewhere(store(), work, {}, ignoredCommands);
    elsewhere.insert();
    EXPECT_EQ(panels.openPanelRuns, 1);
}

TEST_F(PlaylistWindowTest, RemoveSelectsTheEntryThatMovedUpAndLeavesTheIndexAlone) {
    setNames({"A", "B", "C", "D"}, 2);
    select({2});
    window->play();
    ASSERT_EQ(controller->lActualIndex(), 2);

    select({1, 3});
    window->remove();
    EXPECT_THAT(names(), ElementsAre("A", "C", "D"));
    EXPECT_EQ(surface.selected, 1u);
    EXPECT_THAT(surface.scrolledTo, ElementsAre(1u));
    EXPECT_EQ(controller->lActualIndex(), 2);

    select({2}); // the last row: the new last one is selected
    window->remove();
    EXPECT_THAT(names(), ElementsAre("A", "C"));
    EXPECT_EQ(surface.selected, 1u);
}

TEST_F(PlaylistWindowTest, RemovingTheOnlyEntryLeavesAnEmptyUnmarkedList) {
    setNames({"A"});
    select({0});
    window->play();
    window->remove();
    EXPECT_THAT(store().fileList(), IsEmpty());
    EXPECT_EQ(store().firstMarked(), PlaylistStore::npos);
    EXPECT_EQ(controller->lActualIndex(), 0);
    EXPECT_EQ(surface.selected, std::nullopt);
}

TEST_F(PlaylistWindowTest, BecomingKeyScrollsToTheMarkedEntryOnly) {
    setNames({"A", "B"});
    window->windowDidBecomeKey();
    EXPECT_THAT(surface.scrolledTo, IsEmpty());
    store().markOnly(1);
    window->windowDidBecomeKey();
    EXPECT_THAT(surface.scrolledTo, ElementsAre(1u));
}

// ---------------------------------------------------------------- information text

TEST_F(PlaylistWindowTest, OnlyTheLatestClickReachesTheInformationText) {
    setNames({"A", "B", "C"});
    infoTexts = {{path("A"), "about A"}, {path("B"), "about B"}};
    work.deferFinish = true;
    window->klick(0);
    window->klick(1);
    work.finishAll();
    EXPECT_THAT(surface.infoTexts, ElementsAre("about B"));

    window->klick(2); // no text for C: the old one stays
    window->klick(std::nullopt);
    window->klick(9);
    work.finishAll();
    EXPECT_THAT(surface.infoTexts, ElementsAre("about B"));

    select({0});
    window->showInfo();
    work.finishAll();
    EXPECT_THAT(surface.infoTexts, ElementsAre("about B", "about A"));

    // A quick click on a row without a text leaves the text of the click before it.
    window->klick(1);
    window->klick(2);
    work.finishAll();
    EXPECT_THAT(surface.infoTexts, ElementsAre("about B", "about A", "about B"));
    window->klick(2);
    window->klick(0);
    window->klick(2);
    work.finishNext();
    work.finishNext();
    EXPECT_THAT(surface.infoTexts, ElementsAre("about B", "about A", "about B")) << "A waits for the last click";
    work.finishNext();
    EXPECT_THAT(surface.infoTexts, ElementsAre("about B", "about A", "about B", "about A"));
}

TEST_F(PlaylistWindowTest, AnAnswerArrivingAfterTheWindowLogicIsGoneIsDropped) {
    setNames({"A"});
    infoTexts = {{path("A"), "about A"}};
    work.deferFinish = true;
    window->klick(0);
    window.reset();
    work.finishAll();
    EXPECT_THAT(surface.infoTexts, IsEmpty());
}

} // namespace
} // namespace vistrel::test
