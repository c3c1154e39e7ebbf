#include "ControllerFixture.h"

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using ::testing::IsEmpty;

class PlaybackControls : public ControllerFixture {
  protected:
    void SetUp() override {
        start();
        FakeMovie movie;
        movie.durationValue = {1000, 600};
        movie.current = {990, 600};
        addMovie("/m/clip.mov", movie);
        setList({"/m/clip.mov"}, 0);
        controller->playIt();
        ASSERT_TRUE(movies.lastMovie);
    }
    FakeMovie& movie() { return *movies.lastMovie; }
};

TEST_F(PlaybackControls, RateStepsShowWhatTheMoviePlays) {
    controller->movieFaster();
    EXPECT_EQ(overlay.lastShown(), "Rate: 110 %");
    EXPECT_EQ(overlay.last().duration, 1.0);
    controller->movieSlower();
    controller->movieSlower();
    EXPECT_EQ(overlay.lastShown(), "Rate: 89 %");
}

TEST_F(PlaybackControls, TheSteppedRateNeverQuiteReachesZero) {
    for (int i = 0; i < 10; ++i)
        controller->movieSlower();
    EXPECT_GT(controller->rate(), 0.0);
    EXPECT_LT(controller->rate(), 1e-15);
    controller->movieSlower();
    EXPECT_NEAR(controller->rate(), -0.1, 1e-12);
    EXPECT_EQ(movie().rateValue, static_cast<float>(controller->rate()));
}

TEST_F(PlaybackControls, NormalDoesNotResetTheSteppedRate) {
    controller->movieFaster();
    controller->movieFaster();
    movie().volumeValue = 100;
    controller->movieNormal();
    EXPECT_EQ(movie().rateValue, 1.0f);
    EXPECT_EQ(movie().volumeValue, 256);
    controller->movieFaster();
    EXPECT_EQ(movie().rateValue, 1.3f);
    EXPECT_EQ(overlay.messages.size(), 3u);
}

TEST_F(PlaybackControls, VolumeStepsHaveNoBounds) {
    controller->movieVolumePlus();
    EXPECT_EQ(movie().volumeValue, 272);
    EXPECT_EQ(overlay.lastShown(), "Volume: 106 %");
    movie().volumeValue = 0;
    controller->movieVolumeMinus();
    EXPECT_EQ(movie().volumeValue, -16);
    EXPECT_EQ(overlay.lastShown(), "Volume: -6 %");
}

struct JumpCase {
    void (VistrelController::*action)(Sender*);
    std::int64_t from;
    std::int64_t to;
    const char* shown;
};

TEST_F(PlaybackControls, JumpsAreFractionsOfTheLengthClampedToTheMovie) {
    for (const JumpCase& c : {JumpCase{&VistrelController::movieSkip1, 990, 1000, "Position: 100 %"},
                              JumpCase{&VistrelController::movieSkipm10, 990, 940, "Position: 94 %"},
                              JumpCase{&VistrelController::movieSkip01, 990, 995, "Position: 99 %"},
                              JumpCase{&VistrelController::movieSkip10, 500, 550, "Position: 55 %"},
                              JumpCase{&VistrelController::movieSkipm1, 10, 0, "Position: 0 %"},
                              JumpCase{&VistrelController::movieSkipm01, 3, 0, "Position: 0 %"}}) {
        movie().current = {c.from, 600};
        (controller.get()->*c.action)(nullptr);
        EXPECT_EQ(movie().current, (MovieTime{c.to, 600})) << c.shown;
        EXPECT_EQ(overlay.lastShown(), c.shown);
    }
}

TEST_F(PlaybackControls, AnEmptyMovieShowsPositionZero) {
    movie().durationValue = {0, 600};
    movie().current = {0, 600};
    controller->movieSkip10();
    EXPECT_EQ(overlay.lastShown(), "Position: 0 %");
    EXPECT_EQ(movie().current.value, 0);
}

TEST_F(PlaybackControls, WithoutAMovieNothingChanges) {
    addPicture("/p/a.jpg");
    setList({"/p/a.jpg"}, 0);
    controller->playIt();
    ASSERT_EQ(controller->movie(), nullptr);
    const FakeMovie before = movie();
    controller->movieFaster();
    controller->movieSlower();
    controller->movieNormal();
    controller->movieVolumePlus();
    controller->movieSkip10();
    controller->stopCont();
    EXPECT_EQ(controller->rate(), 1.0);
    EXPECT_THAT(overlay.messages, IsEmpty());
    EXPECT_EQ(movie().volumeValue, before.volumeValue);
    EXPECT_EQ(movie().current, before.current);
}

TEST_F(PlaybackControls, TheMenuBarTogglesAndComesBackOnEntering) {
    const bool initial = window.menuBar;
    controller->movieToggleMenu();
    controller->movieToggleMenu();
    EXPECT_EQ(window.menuBar, initial);

    window.menuBar = true;
    controller->mouseEntered();
    EXPECT_TRUE(window.menuBar);
    window.menuBar = false;
    controller->mouseEntered();
    EXPECT_TRUE(window.menuBar);
    controller->mouseExited();
    EXPECT_TRUE(window.menuBar);
}

TEST_F(PlaybackControls, TogglingTheControlBarAlwaysEndsPlaying) {
    ASSERT_FALSE(view.controllerVisible);
    const int responderCalls = window.viewMadeFirstResponder;
    controller->movieToggleControl();
    EXPECT_TRUE(view.controllerVisible);
    EXPECT_FALSE(view.firstResponderFlag);
    EXPECT_EQ(window.viewMadeFirstResponder, responderCalls);
    EXPECT_EQ(view.playCount, 2);

    controller->movieToggleControl();
    EXPECT_FALSE(view.controllerVisible);
    EXPECT_TRUE(view.firstResponderFlag);
    EXPECT_EQ(window.viewMadeFirstResponder, responderCalls + 1);
    EXPECT_EQ(view.playCount, 3);
}

} // namespace
} // namespace vistrel::test
