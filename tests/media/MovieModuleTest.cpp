#include "MediaFixtures.h"
#include "OpenedMovie.h"
#include "media/movies/ModuleMovieService.h"
#include "TestExecutor.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

using test::MediaFixtures;

// Run by its own test entry with the module pointed at a file that does not exist: the
// module loads once per process, so this cannot share a process with the other tests.
TEST(MissingMovieModule, MoviesFailAsUnreadableWhileTheirTypesAreStillKnown) {
    if (qEnvironmentVariableIsEmpty("VISTREL_TEST_WITHOUT_MOVIE_MODULE"))
        GTEST_SKIP() << "runs only as media.MissingMovieModule";
    if (!MediaFixtures::get().canMakeMovies())
        GTEST_SKIP() << "ffmpeg could not generate the test movies";
    ModuleMovieService movies{test::testExecutor()};
    EXPECT_FALSE(movies.movieFileTypes().empty());
    EXPECT_EQ(test::openedMovie(movies, MediaFixtures::get().file("clip.mp4")), nullptr);
    EXPECT_EQ(test::openedMovie(movies, MediaFixtures::get().file("wide.mkv")), nullptr);
    EXPECT_EQ(movies.movieFacts(MediaFixtures::get().file("clip.mp4")), std::nullopt);
}

} // namespace
} // namespace vistrel
