#include "movies/MpvPlayer.h"

#include "MediaFixtures.h"
#include "OpenedMovie.h"
#include "media/movies/ModuleMovieService.h"
#include "TestExecutor.h"
#include "media/pictures/QtPicture.h"
#include "movies/MpvFrameRenderer.h"
#include "movies/MpvMovie.h"
#include "movies/MpvMovieEngine.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mpv/client.h>

namespace vistrel {
namespace {

using test::MediaFixtures;
using test::openedMovie;
using test::waitUntil;

bool playerFlag(MpvPlayer& player, const char* name) {
    int value = 0;
    mpv_get_property(player.handle(), name, MPV_FORMAT_FLAG, &value);
    return value != 0;
}

// Successive movies share one mpv player; the movie handed out before is retired.
class ReusedPlayer : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!MediaFixtures::get().canMakeMovies())
            GTEST_SKIP() << "ffmpeg could not generate the test movies";
    }

    std::shared_ptr<MpvMovie> open(const char* name) {
        auto movie =
            std::dynamic_pointer_cast<MpvMovie>(openedMovie(engine, MediaFixtures::get().file(name)));
        EXPECT_NE(movie, nullptr) << name;
        return movie;
    }

    MpvMovieEngine engine;
};

TEST_F(ReusedPlayer, TheSecondMovieIsItsOwnAndTheFirstCommandsNothing) {
    auto first = open("clip.mp4");
    ASSERT_NE(first, nullptr);
    first->setRate(2.0f);
    first->setVolume(128);
    const auto second = open("wide.mkv");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(&first->player(), &second->player());

    // Its own size, length and first frame, and a fresh start whatever the first did.
    EXPECT_EQ(second->naturalSize(), (Size{640, 240}));
    EXPECT_NEAR(static_cast<double>(second->duration().value), 2000, 50);
    EXPECT_EQ(second->currentTime().value, 0);
    EXPECT_FALSE(second->isPlaying());
    EXPECT_EQ(second->volume(), 256);
    const auto frame = std::dynamic_pointer_cast<QtPicture>(second->currentFrameImage());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->image().size(), QSize(640, 240));

    // The retired movie neither steers the player nor reports its state.
    first->play();
    first->setRate(3.0f);
    first->setCurrentTime({1500, 1000});
    first->setVolume(0);
    EXPECT_FALSE(second->isPlaying());
    EXPECT_EQ(second->currentTime().value, 0);
    EXPECT_EQ(second->rate(), 0.0f);
    EXPECT_FALSE(first->isPlaying());
    EXPECT_EQ(first->naturalSize(), (Size{}));
    EXPECT_EQ(first->currentFrameImage(), nullptr);
    EXPECT_EQ(first->displayName(), "clip.mp4");

    // Dropping the retired movie leaves the shown one playing.
    second->play();
    first.reset();
    EXPECT_TRUE(waitUntil([&] { return second->currentTime().value > 300; }));
}

TEST_F(ReusedPlayer, OnlyTheShownMovieReportsItsEnd) {
    int ends = 0;
    Movie* ended = nullptr;
    engine.observeMovieEnds([&](Movie& movie) {
        ++ends;
        ended = &movie;
    });
    const auto first = open("clip.mp4");
    ASSERT_NE(first, nullptr);
    // The end is reached while the next movie is being asked for: it is the first's no more.
    first->setCurrentTime(first->duration());
    auto second = open("tone.wav");
    ASSERT_NE(second, nullptr);
    second->setCurrentTime({1800, 1000});
    second->play();
    ASSERT_TRUE(waitUntil([&] { return ends > 0; }));
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(ended, second.get());
}

TEST_F(ReusedPlayer, AnOpeningOvertakenByAnotherComesToNothing) {
    bool firstAnswered = false;
    std::shared_ptr<Movie> firstAnswer;
    engine.openMovie(MediaFixtures::get().file("clip.mp4"), [&](std::shared_ptr<Movie> movie) {
        firstAnswer = std::move(movie);
        firstAnswered = true;
    });
    const auto second = open("wide.mkv");
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(waitUntil([&] { return firstAnswered; }));
    EXPECT_EQ(firstAnswer, nullptr);
    EXPECT_EQ(second->naturalSize(), (Size{640, 240}));
}

TEST_F(ReusedPlayer, DroppingTheShownMovieStopsThePlayerAndAFailureKeepsItUsable) {
    auto movie = open("clip.mp4");
    ASSERT_NE(movie, nullptr);
    const std::shared_ptr<MpvPlayer> player = movie->player().shared_from_this();
    movie->play();
    movie.reset();
    EXPECT_TRUE(waitUntil([&] { return playerFlag(*player, "idle-active"); }));

    EXPECT_EQ(openedMovie(engine, MediaFixtures::get().file("noise.mp4")), nullptr);
    const auto after = open("clip.mp4");
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(&after->player(), player.get());
    EXPECT_EQ(after->naturalSize(), (Size{320, 240}));
}

TEST_F(ReusedPlayer, ARetiredMoviesRendererDrawsNothingAndHearsNoFrames) {
    const auto first = open("clip.mp4");
    ASSERT_NE(first, nullptr);
    std::atomic<int> announced{0};
    MpvFrameRenderer renderer(*first);
    renderer.setFrameReadyCallback([&] { ++announced; });
    EXPECT_FALSE(renderer.render(QSize(160, 120)).isNull());

    const auto second = open("clip.mp4");
    ASSERT_NE(second, nullptr);
    const int before = announced;
    second->play();
    ASSERT_TRUE(waitUntil([&] { return second->currentTime().value > 500; }));
    EXPECT_EQ(announced, before);
    EXPECT_TRUE(renderer.render(QSize(160, 120)).isNull());
}

// Through the module, as the program loads it.
TEST_F(ReusedPlayer, TheServiceLoadsTheModuleAndOpensMovies) {
    ModuleMovieService service{test::testExecutor()};
    const auto movie = openedMovie(service, MediaFixtures::get().file("clip.mp4"));
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->naturalSize(), (Size{320, 240}));
    EXPECT_EQ(openedMovie(service, MediaFixtures::get().file("notes.txt")), nullptr);
    EXPECT_TRUE(service.movieFacts(MediaFixtures::get().file("clip.mp4")).has_value());
}

} // namespace
} // namespace vistrel
