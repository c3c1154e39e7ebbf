#include "ControllerFixture.h"

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using ::testing::ElementsAre;

class RecordingSender : public Sender {
  public:
    void setState(int value) override { states.push_back(value); }
    std::vector<int> states;
};

class Navigation : public ControllerFixture {
  protected:
    void SetUp() override {
        start();
        for (const char* path : {"/p/0.jpg", "/p/1.jpg", "/p/2.jpg", "/p/3.jpg", "/p/4.jpg"})
            addPicture(path);
    }
    std::string lastShown() const { return pictures.decoded.empty() ? "" : pictures.decoded.back(); }
};

TEST_F(Navigation, NextAndPreviousWrapAround) {
    setList({"/p/0.jpg", "/p/1.jpg", "/p/2.jpg", "/p/3.jpg"}, 3);
    controller->playNext();
    EXPECT_THAT(marks(), ElementsAre(true, false, false, false));
    EXPECT_EQ(lastShown(), "/p/0.jpg");
    controller->playPrevious();
    EXPECT_THAT(marks(), ElementsAre(false, false, false, true));
    EXPECT_EQ(controller->lActualIndex(), 3);
    EXPECT_EQ(lastShown(), "/p/3.jpg");
}

TEST_F(Navigation, AStaleIndexStepsFromTheMarkedEntry) {
    for (const bool forward : {true, false}) {
        setList({"/p/0.jpg", "/p/1.jpg", "/p/2.jpg", "/p/3.jpg", "/p/4.jpg", "/p/5", "/p/6", "/p/7"}, 7);
        ASSERT_TRUE(controller->getURL());
        setList({"/p/0.jpg", "/p/1.jpg", "/p/2.jpg", "/p/3.jpg", "/p/4.jpg"}, 2);
        forward ? controller->playNext() : controller->playPrevious();
        const int expected = forward ? 3 : 1;
        EXPECT_EQ(controller->lActualIndex(), expected);
        EXPECT_EQ(lastShown(), "/p/" + std::to_string(expected) + ".jpg");
        const auto marked = marks();
        EXPECT_EQ(std::count(marked.begin(), marked.end(), true), 1);
    }
}

TEST_F(Navigation, OneEntryIsShownAgainAndAnUnmarkedListNotAtAll) {
    setList({"/p/0.jpg"}, 0);
    controller->playNext();
    controller->playPrevious();
    EXPECT_THAT(pictures.decoded, ElementsAre("/p/0.jpg", "/p/0.jpg"));

    setList({"/p/0.jpg", "/p/1.jpg"}, -1);
    controller->playNext();
    controller->playPrevious();
    EXPECT_THAT(marks(), ElementsAre(false, false));
    EXPECT_EQ(pictures.decoded.size(), 2u);
}

TEST_F(Navigation, SwitchingTheSlideShowReflectsInTheSenderAndTheOverlay) {
    RecordingSender item;
    controller->setLoopMode(&item);
    EXPECT_TRUE(controller->loopModus());
    EXPECT_EQ(overlay.last().text, "Start Loop");
    EXPECT_EQ(overlay.last().duration, 4.0);
    controller->setLoopMode(&item);
    EXPECT_EQ(overlay.last().text, "Stop Loop");
    EXPECT_THAT(item.states, ElementsAre(1, 0));

    controller->setLoopMode(&item);
    controller->stopLoop(&item);
    EXPECT_FALSE(controller->loopModus());
    EXPECT_EQ(overlay.last().text, "Stop Loop");
    EXPECT_THAT(item.states, ElementsAre(1, 0, 1));
    controller->setLoopMode(nullptr);
    EXPECT_TRUE(controller->loopModus());
}

TEST_F(Navigation, APictureSlideShowAdvancesEveryIntervalAndWraps) {
    setList({"/p/0.jpg", "/p/1.jpg", "/p/2.jpg"}, 0);
    controller->playIt();
    controller->setLoopMode();
    scheduler.advance(4.9);
    EXPECT_EQ(lastShown(), "/p/0.jpg");
    scheduler.advance(0.1);
    EXPECT_EQ(lastShown(), "/p/1.jpg");
    scheduler.advance(10.0);
    EXPECT_EQ(lastShown(), "/p/0.jpg");
    EXPECT_EQ(pictures.decoded.size(), 4u);
    EXPECT_EQ(scheduler.pendingCount(), 1u);
}

TEST_F(Navigation, AMovieAdvancesAnIntervalAfterItEnds) {
    addMovie("/m/a.mov");
    setList({"/m/a.mov", "/p/1.jpg"}, 0);
    controller->playIt();
    controller->setLoopMode(); // the first advance counts from now, movie or not
    scheduler.advance(5.0);
    EXPECT_EQ(lastShown(), "/p/1.jpg");
    scheduler.advance(5.0);
    EXPECT_EQ(controller->lActualIndex(), 0);
    scheduler.advance(60.0); // the movie plays on: nothing pending
    EXPECT_EQ(controller->lActualIndex(), 0);
    EXPECT_EQ(scheduler.pendingCount(), 0u);

    movies.endLastMovie();
    scheduler.advance(4.0);
    EXPECT_EQ(controller->lActualIndex(), 0);
    scheduler.advance(1.0);
    EXPECT_EQ(controller->lActualIndex(), 1);
}

TEST_F(Navigation, ANewAdvanceReplacesThePendingOneAndStoppingCancelsIt) {
    setList({"/p/0.jpg", "/p/1.jpg", "/p/2.jpg"}, 0);
    controller->setLoopMode();
    scheduler.advance(3.0);
    controller->playNext(); // shows 1 and schedules afresh
    EXPECT_EQ(scheduler.pendingCount(), 1u);
    scheduler.advance(3.0);
    EXPECT_EQ(lastShown(), "/p/1.jpg");
    scheduler.advance(2.0);
    EXPECT_EQ(lastShown(), "/p/2.jpg");

    controller->stopLoop();
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    controller->setLoopMode();
    controller->setLoopMode();
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(Navigation, ANewIntervalAppliesToLaterAdvances) {
    setList({"/p/0.jpg", "/p/1.jpg", "/p/2.jpg"}, 0);
    controller->setLoopMode();
    controller->setSleep(1.0f);
    scheduler.advance(5.0);
    EXPECT_EQ(lastShown(), "/p/1.jpg");
    scheduler.advance(1.0);
    EXPECT_EQ(lastShown(), "/p/2.jpg");
}

// A picture that does not decode, a movie that does not open and one the view refuses
// are each passed over after the interval, as a shown item would be.
TEST_F(Navigation, ASlideShowPassesOverItemsItCannotShow) {
    addMovie("/m/refused.mov");
    view.failOnSetMovie = true;
    setList({"/p/0.jpg", "/p/broken.jpg", "/m/closed.mov", "/m/refused.mov", "/p/1.jpg"}, 0);
    controller->playIt();
    controller->setLoopMode();
    scheduler.advance(10.0);
    EXPECT_EQ(lastShown(), "/p/broken.jpg");
    EXPECT_THAT(movies.opened, ElementsAre("/m/closed.mov"));
    scheduler.advance(5.0);
    EXPECT_EQ(alerts.warnings.size(), 1u);
    scheduler.advance(5.0);
    EXPECT_EQ(lastShown(), "/p/1.jpg");
    EXPECT_TRUE(controller->loopModus());
    scheduler.advance(5.0);
    EXPECT_EQ(lastShown(), "/p/0.jpg");
}

// With nothing showable the show ends after one round rather than cycling for ever,
// and says so as switching it off does.
TEST_F(Navigation, ASlideShowOfNothingShowableStopsAfterOneRound) {
    std::vector<bool> announced;
    const Connection listening = controller->loopModusChanged.connect([&](bool on) { announced.push_back(on); });
    setList({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"}, 0);
    controller->setLoopMode();
    scheduler.advance(15.0);
    EXPECT_THAT(pictures.decoded, ElementsAre("/p/b.jpg", "/p/c.jpg", "/p/a.jpg"));
    EXPECT_FALSE(controller->loopModus());
    EXPECT_THAT(announced, ElementsAre(true, false));
    EXPECT_EQ(overlay.last().text, "Stop Loop");
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    scheduler.advance(100.0);
    EXPECT_EQ(pictures.decoded.size(), 3u);
}

} // namespace
} // namespace vistrel::test
