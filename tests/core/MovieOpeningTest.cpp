#include "ControllerFixture.h"

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Movies open in the background: the service calls back later, possibly after the user
// has stepped on. The fake holds its callbacks so each test sets the order.
class MovieOpening : public ControllerFixture {
  protected:
    void SetUp() override {
        start();
        movies.holdOpenings = true;
        addMovie("/m/a.mov");
        addMovie("/m/b.mov");
        addPicture("/p/0.jpg");
        addPicture("/p/1.jpg");
    }
};

TEST_F(MovieOpening, TheMovieIsShownOnlyOnceItHasOpened) {
    setList({"/p/0.jpg", "/m/a.mov"}, 0);
    controller->playIt();
    const auto picture = view.picture;
    controller->playNext();
    // Until then the picture stays on screen and the menu bar stays as it was.
    EXPECT_THAT(movies.opened, ElementsAre("/m/a.mov"));
    EXPECT_EQ(controller->movie(), nullptr);
    EXPECT_EQ(view.movie, nullptr);
    EXPECT_EQ(view.playCount, 0);
    EXPECT_THAT(controller->recentDocuments().recentDocumentPaths(), ElementsAre("/p/0.jpg"));

    ASSERT_TRUE(movies.completeHeld());
    ASSERT_NE(controller->movie(), nullptr);
    EXPECT_EQ(view.movie, controller->movie());
    EXPECT_EQ(view.playCount, 1);
    EXPECT_TRUE(view.editable);
    EXPECT_FALSE(window.menuBar);
    EXPECT_THAT(controller->recentDocuments().recentDocumentPaths(), ElementsAre("/m/a.mov", "/p/0.jpg"));
}

// Stepping on while a movie opens: the late movie is dropped (and so closed), neither
// shown nor counted, and the newer request wins whatever the order of completion.
TEST_F(MovieOpening, AMovieThatOpensAfterTheUserSteppedOnIsDropped) {
    setList({"/m/a.mov", "/m/b.mov", "/p/1.jpg"}, 0);
    controller->playIt();
    std::weak_ptr<FakeMovie> late = movies.lastMovie;
    controller->playNext();
    movies.lastMovie.reset();

    ASSERT_TRUE(movies.completeHeld(1));
    const auto b = controller->movie();
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(movies.completeHeld(0));
    EXPECT_EQ(controller->movie(), b);
    EXPECT_EQ(view.movie, b);
    EXPECT_TRUE(late.expired()) << "the stale movie is closed";
    EXPECT_EQ(view.playCount, 1);
    EXPECT_THAT(controller->recentDocuments().recentDocumentPaths(), ElementsAre("/m/b.mov"));

    // A picture asked for after a movie: the movie's late opening leaves the picture be.
    controller->playPrevious();
    controller->playNext();
    controller->playNext();
    ASSERT_TRUE(movies.completeHeld());
    EXPECT_EQ(controller->movie(), nullptr);
    EXPECT_NE(view.picture, nullptr);
    EXPECT_EQ(view.playCount, 1);
}

// A slide show waits on an opening, passes over a movie that does not open, and is not
// advanced twice by a stale failure.
TEST_F(MovieOpening, ASlideShowPassesOverAMovieThatFailsToOpen) {
    setList({"/p/0.jpg", "/m/closed.mov", "/p/1.jpg", "/m/a.mov"}, 0);
    controller->playIt();
    controller->setLoopMode();
    scheduler.advance(5.0);
    EXPECT_THAT(movies.opened, ElementsAre("/m/closed.mov"));
    scheduler.advance(50.0);
    EXPECT_THAT(pictures.decoded, ElementsAre("/p/0.jpg")) << "no advance before the opening ends";

    ASSERT_TRUE(movies.completeHeld());
    scheduler.advance(5.0);
    EXPECT_THAT(pictures.decoded, ElementsAre("/p/0.jpg", "/p/1.jpg"));
    movies.openable.erase("/m/a.mov");
    scheduler.advance(5.0);
    EXPECT_THAT(movies.opened, ElementsAre("/m/closed.mov", "/m/a.mov"));

    // The user steps on while a.mov opens; its failure, told later, must not put off
    // the advance that the picture shown since has scheduled.
    controller->playNext();
    EXPECT_THAT(pictures.decoded, ElementsAre("/p/0.jpg", "/p/1.jpg", "/p/0.jpg"));
    scheduler.advance(4.0);
    ASSERT_TRUE(movies.completeHeld());
    scheduler.advance(1.5);
    EXPECT_THAT(movies.opened, ElementsAre("/m/closed.mov", "/m/a.mov", "/m/closed.mov"));
}

// The view plays the old movie on while the next one opens: its end, told during the
// opening or after it, must not cut the new movie short.
TEST_F(MovieOpening, TheEndOfAMovieNoLongerCurrentAdvancesNothing) {
    setList({"/m/a.mov", "/m/b.mov", "/p/0.jpg"}, 0);
    controller->playIt();
    ASSERT_TRUE(movies.completeHeld());
    const std::shared_ptr<FakeMovie> old = movies.lastMovie;
    controller->setLoopMode();
    scheduler.advance(5.0); // on to b, which opens slowly
    ASSERT_THAT(movies.opened, ElementsAre("/m/a.mov", "/m/b.mov"));
    movies.endHandler(*old);
    ASSERT_TRUE(movies.completeHeld());
    movies.endHandler(*old);
    scheduler.advance(60.0);
    EXPECT_EQ(controller->lActualIndex(), 1);
    EXPECT_THAT(pictures.decoded, IsEmpty());

    movies.endLastMovie(); // b's own end still advances
    scheduler.advance(5.0);
    EXPECT_THAT(pictures.decoded, ElementsAre("/p/0.jpg"));
}

TEST_F(MovieOpening, AMovieTheViewRefusesRaisesTheAlertOnceOpened) {
    view.failOnSetMovie = true;
    setList({"/m/a.mov"}, 0);
    controller->playIt();
    EXPECT_THAT(alerts.warnings, IsEmpty());
    ASSERT_TRUE(movies.completeHeld());
    EXPECT_THAT(alerts.warnings,
                ElementsAre(std::pair<std::string, std::string>("Error!", "Couldn't show file ...")));
    EXPECT_EQ(view.playCount, 0);
}

TEST_F(MovieOpening, AnOpeningThatEndsAfterTheControllerIsGoneReachesNothing) {
    setList({"/m/a.mov"}, 0);
    controller->playIt();
    controller.reset();
    EXPECT_TRUE(movies.completeHeld());
    EXPECT_EQ(view.movie, nullptr);
}

} // namespace
} // namespace vistrel::test
