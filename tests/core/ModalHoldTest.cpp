#include "ControllerFixture.h"
#include "core/controller/ModalGuard.h"

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using ::testing::ElementsAre;

// A modal alert or panel runs its own event loop: the clock goes on under it, but the
// slide show and movie ends must wait until it is gone, and then not be lost.
class ModalHold : public ControllerFixture {
  protected:
    void SetUp() override {
        start();
        for (const char* path : {"/p/0.jpg", "/p/1.jpg", "/p/2.jpg"})
            addPicture(path);
        setList({"/p/0.jpg", "/p/1.jpg", "/p/2.jpg"}, 0);
        controller->playIt();
        controller->setLoopMode();
    }
    // Lets the clock run while the modal is up and notes what was shown meanwhile.
    std::function<void()> timePassesWhileShown() {
        return [this] {
            const std::size_t before = pictures.decoded.size();
            scheduler.advance(30.0);
            shownMeanwhile += pictures.decoded.size() - before;
        };
    }
    std::size_t shownMeanwhile = 0;
};

TEST_F(ModalHold, NoAdvanceWhileAnAlertIsUpAndOneAfterIt) {
    alerts.whileShown = timePassesWhileShown();
    controller->setImagePath("");
    controller->saveDocument(); // "No Image Path!"
    ASSERT_EQ(alerts.warnings.size(), 1u);
    EXPECT_EQ(shownMeanwhile, 0u);
    EXPECT_THAT(pictures.decoded, ElementsAre("/p/0.jpg"));

    scheduler.advance(0.0);
    EXPECT_THAT(pictures.decoded, ElementsAre("/p/0.jpg", "/p/1.jpg"));
    scheduler.advance(4.9);
    EXPECT_EQ(pictures.decoded.size(), 2u);
    scheduler.advance(0.1);
    EXPECT_EQ(pictures.decoded.back(), "/p/2.jpg");
}

TEST_F(ModalHold, NoAdvanceWhileTheOpenPanelIsUp) {
    panels.whileShown = timePassesWhileShown();
    controller->open(); // cancelled
    EXPECT_EQ(shownMeanwhile, 0u);
    scheduler.advance(0.0);
    EXPECT_THAT(pictures.decoded, ElementsAre("/p/0.jpg", "/p/1.jpg"));
}

// A movie the view refuses raises "Error!"; the end of the movie before it, arriving
// under that alert, must not start the next item behind it.
TEST_F(ModalHold, AMovieEndUnderTheErrorAlertWaitsForIt) {
    addMovie("/m/a.mov");
    addMovie("/m/b.mov");
    setList({"/m/a.mov", "/m/b.mov", "/p/2.jpg"}, 0);
    controller->playIt();
    const auto first = movies.lastMovie;
    view.failOnSetMovie = true;
    int alertsUp = 0;
    alerts.whileShown = [&] {
        if (++alertsUp > 1)
            return; // unheld, the show would raise the alert again underneath
        movies.endHandler(*first);
        timePassesWhileShown()();
    };
    scheduler.advance(5.0); // the advance scheduled by switching the show on
    ASSERT_EQ(alerts.warnings.size(), 1u);
    EXPECT_EQ(shownMeanwhile, 0u);
    EXPECT_EQ(controller->lActualIndex(), 1);

    scheduler.advance(5.0);
    EXPECT_THAT(pictures.decoded, ElementsAre("/p/0.jpg", "/p/2.jpg"));
}

TEST(ModalGuard, HeldWorkWaitsForTheLastOfNestedModalsAndKeepsItsOrder) {
    FakeAlerts alerts;
    FakeFilePanels panels;
    FakeScheduler scheduler;
    ModalGuard guard(alerts, panels, scheduler);
    std::vector<int> ran;
    guard.whenFree([&] { ran.push_back(0); });
    alerts.whileShown = [&] {
        guard.whenFree([&] { ran.push_back(1); });
        guard.whenFree([&] { ran.push_back(2); });
    };
    panels.whileShown = [&] {
        guard.showWarning("File Error!", "Couldn't write File...", "OK");
        scheduler.advance(1.0);
        EXPECT_TRUE(guard.modalOpen());
    };
    guard.runSavePanel({"vistrelplaylist"});
    EXPECT_THAT(ran, ElementsAre(0));
    scheduler.advance(0.0);
    EXPECT_THAT(ran, ElementsAre(0, 1, 2));
    EXPECT_EQ(alerts.warnings.size(), 1u);
}

} // namespace
} // namespace vistrel::test
