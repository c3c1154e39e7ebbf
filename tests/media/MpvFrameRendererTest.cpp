#include "movies/MpvFrameRenderer.h"

#include "MediaFixtures.h"
#include "OpenedMovie.h"
#include "movies/MpvMovie.h"
#include "movies/MpvMovieEngine.h"

#include <atomic>
#include <gtest/gtest.h>

namespace vistrel {
namespace {

using test::MediaFixtures;
using test::waitUntil;

bool hasColour(const QImage& image) {
    for (int y = 0; y < image.height(); y += 8)
        for (int x = 0; x < image.width(); x += 8)
            if (qRed(image.pixel(x, y)) > 64 || qGreen(image.pixel(x, y)) > 64 ||
                qBlue(image.pixel(x, y)) > 64)
                return true;
    return false;
}

class FrameRendererTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!MediaFixtures::get().canMakeMovies())
            GTEST_SKIP() << "ffmpeg could not generate the test movies";
    }

    std::shared_ptr<MpvMovie> open(const char* name) {
        return std::dynamic_pointer_cast<MpvMovie>(test::openedMovie(engine, MediaFixtures::get().file(name)));
    }

    MpvMovieEngine engine;
};

TEST_F(FrameRendererTest, RendersTheFirstFrameOfAFreshMovie) {
    const auto movie = open("clip.mp4");
    ASSERT_NE(movie, nullptr);
    MpvFrameRenderer renderer(*movie);
    QImage frame;
    ASSERT_TRUE(waitUntil([&] {
        frame = renderer.render(QSize(320, 240));
        return hasColour(frame);
    }));
    EXPECT_EQ(frame.size(), QSize(320, 240));
    EXPECT_EQ(frame.format(), QImage::Format_RGB32);
    EXPECT_EQ(frame.pixel(0, 0) >> 24, 0xffu) << "opaque";
}

// A view stretched by the user has another shape than its movie: the movie is
// stretched with it, as a picture is, and never boxed in by black bars.
TEST_F(FrameRendererTest, FillsATargetOfAnyShapeToItsEdges) {
    const auto movie = open("clip.mp4");
    ASSERT_NE(movie, nullptr);
    MpvFrameRenderer renderer(*movie);
    // The movie's own shape first: its edges carry colour, so black edges are bars.
    for (const QSize size : {QSize(320, 240), QSize(320, 480), QSize(640, 120)}) {
        QImage frame;
        ASSERT_TRUE(waitUntil([&] {
            frame = renderer.render(size);
            return hasColour(frame);
        }));
        const int right = size.width() - 1;
        const int bottom = size.height() - 1;
        for (const QRect edge : {QRect(0, 0, size.width(), 1), QRect(0, bottom, size.width(), 1),
                                 QRect(0, 0, 1, size.height()), QRect(right, 0, 1, size.height())})
            EXPECT_TRUE(hasColour(frame.copy(edge)))
                << size.width() << "x" << size.height() << " edge at " << edge.x() << "," << edge.y();
    }
}

TEST_F(FrameRendererTest, AnnouncesNewFramesWhilePlaying) {
    const auto movie = open("clip.mp4");
    ASSERT_NE(movie, nullptr);
    {
        // Declared first so that it outlives the renderer: mpv's thread may count until
        // the renderer's destructor has cleared the callback.
        std::atomic<int> announced{0};
        MpvFrameRenderer renderer(*movie);
        renderer.setFrameReadyCallback([&] { ++announced; });
        movie->play();
        EXPECT_TRUE(waitUntil([&] {
            renderer.render(QSize(160, 120));
            return announced > 3;
        }));
    }
    // The movie plays on without its renderer.
    EXPECT_TRUE(movie->isPlaying());
}

// The view keeps the last frame until it has the next one.
TEST_F(FrameRendererTest, NeverDrawsIntoAFrameStillHeldAndReusesReleasedOnes) {
    const auto movie = open("clip.mp4");
    ASSERT_NE(movie, nullptr);
    MpvFrameRenderer renderer(*movie);
    const QSize size(160, 120);
    QImage held = renderer.render(size);
    ASSERT_FALSE(held.isNull());
    const uchar* firstBuffer = held.constBits();
    held = renderer.render(size);
    EXPECT_NE(held.constBits(), firstBuffer);
    held = renderer.render(size);
    EXPECT_EQ(held.constBits(), firstBuffer);
    EXPECT_EQ(renderer.render(QSize(80, 60)).size(), QSize(80, 60));
}

TEST_F(FrameRendererTest, RendersNothingForSoundOnly) {
    const auto movie = open("tone.wav");
    ASSERT_NE(movie, nullptr);
    MpvFrameRenderer renderer(*movie);
    EXPECT_TRUE(renderer.render(QSize(320, 240)).isNull());
}

TEST_F(FrameRendererTest, DrawsNothingOnceItsMovieIsGone) {
    auto movie = open("clip.mp4");
    ASSERT_NE(movie, nullptr);
    MpvFrameRenderer renderer(*movie);
    movie.reset();
    EXPECT_TRUE(renderer.render(QSize(320, 240)).isNull());
}

} // namespace
} // namespace vistrel
