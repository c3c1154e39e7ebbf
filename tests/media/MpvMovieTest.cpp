#include "movies/MpvMovie.h"

#include "MediaFixtures.h"
#include "OpenedMovie.h"
#include "media/movies/ModuleMovieService.h"
#include "TestExecutor.h"
#include "media/pictures/QtPicture.h"
#include "movies/MpvMovieEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <QLoggingCategory>
#include <gtest/gtest.h>
#include <mpv/client.h>

namespace vistrel {
namespace {

using test::MediaFixtures;
using test::openedMovie;
using test::valueOf;
using test::waitUntil;

const MediaFixtures& fixtures() {
    return MediaFixtures::get();
}

double mpvDouble(const MpvMovie& movie, const char* name) {
    double value = -1.0;
    mpv_get_property(movie.player().handle(), name, MPV_FORMAT_DOUBLE, &value);
    return value;
}

class MovieTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fixtures().canMakeMovies())
            GTEST_SKIP() << "ffmpeg could not generate the test movies";
    }

    std::shared_ptr<MpvMovie> open(const char* name) {
        auto movie = std::dynamic_pointer_cast<MpvMovie>(openedMovie(engine, fixtures().file(name)));
        EXPECT_NE(movie, nullptr) << name;
        return movie;
    }

    MpvMovieEngine engine;
};

TEST(ModuleMovieService, MovieTypesAreTheVideoAndAudioSuffixes) {
    const auto types = ModuleMovieService(test::testExecutor()).movieFileTypes();
    const auto listed = [&](const char* suffix) {
        return std::find(types.begin(), types.end(), suffix) != types.end();
    };
    for (const char* suffix :
         {"mov", "mp4", "mkv", "avi", "mpg", "ts", "wmv", "webm", "mp3", "wav", "ogg", "ogv", "flac", "m4a"})
        EXPECT_TRUE(listed(suffix)) << suffix;
    // Files that sit beside movies and carry audio or video MIME types, but show nothing
    // when played: subtitles, play lists, disc navigation; and glob patterns.
    for (const char* suffix : {"txt", "ass", "srt", "ssa", "sub", "vtt", "idx", "m3u", "m3u8", "pls", "asx",
                               "wax", "vlc", "xspf", "cue", "m1u", "clpi", "cpi", "mpls", "mpl", "bdmv",
                               "bdm", "wvc", "anim[1-9j]"})
        EXPECT_FALSE(listed(suffix)) << suffix;
    auto sorted = types;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "listed twice";
}

struct Measures {
    const char* file;
    Size naturalSize;
    const char* displayName;
};

void PrintTo(const Measures& value, std::ostream* out) {
    *out << value.file;
}

class MovieMeasures : public MovieTest, public ::testing::WithParamInterface<Measures> {};

TEST_P(MovieMeasures, AreReportedOnceOpened) {
    const auto movie = open(GetParam().file);
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->naturalSize(), GetParam().naturalSize);
    EXPECT_EQ(movie->displayName(), GetParam().displayName);
    EXPECT_EQ(movie->duration().scale, 1000);
    EXPECT_NEAR(static_cast<double>(movie->duration().value), 2000, 50);
    EXPECT_EQ(movie->currentTime().value, 0);
    EXPECT_FALSE(movie->isPlaying());
    EXPECT_EQ(movie->volume(), 256);
}

INSTANTIATE_TEST_SUITE_P(Files, MovieMeasures,
                         ::testing::Values(Measures{"clip.mp4", {320, 240}, "clip.mp4"},
                                           Measures{"wide.mkv", {640, 240}, "Test Pattern"},
                                           Measures{"tone.wav", {0, 0}, "tone.wav"}));

class UnplayableFile : public MovieTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(UnplayableFile, OpensAsNoMovie) {
    EXPECT_EQ(openedMovie(engine, fixtures().file(GetParam())), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Files, UnplayableFile,
                         ::testing::Values("noise.mp4", "empty.mp4", "notes.txt", "missing.mp4", "", "."));

struct RateCase {
    float set;
    float played;
};

void PrintTo(const RateCase& value, std::ostream* out) {
    *out << "rate " << value.set;
}

class MovieRate : public MovieTest, public ::testing::WithParamInterface<RateCase> {};

TEST_P(MovieRate, ReadsBackWhatReallyPlays) {
    const auto movie = open("clip.mp4");
    ASSERT_NE(movie, nullptr);
    movie->setRate(GetParam().set);
    EXPECT_FLOAT_EQ(movie->rate(), GetParam().played);
    EXPECT_EQ(movie->isPlaying(), GetParam().played != 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Rates, MovieRate,
                         ::testing::Values(RateCase{1.0f, 1.0f}, RateCase{1.1f, 1.1f}, RateCase{2.5f, 2.5f},
                                           RateCase{-1.0f, -1.0f}, RateCase{-0.5f, -0.5f},
                                           RateCase{0.0f, 0.0f}, RateCase{0.005f, 0.0f},
                                           RateCase{-0.005f, 0.0f}, RateCase{250.0f, 100.0f},
                                           RateCase{-250.0f, -100.0f}, RateCase{NAN, 0.0f}));

TEST_F(MovieTest, StopAndPlayPauseAndResumeAtTheRateSet) {
    const auto movie = open("clip.mp4");
    ASSERT_NE(movie, nullptr);
    movie->setRate(1.5f);
    movie->stop();
    EXPECT_EQ(movie->rate(), 0.0f);
    EXPECT_FALSE(movie->isPlaying());
    movie->play();
    EXPECT_FLOAT_EQ(movie->rate(), 1.5f);
}

struct VolumeCase {
    std::int16_t volume;
    double outputPercent;
};

void PrintTo(const VolumeCase& value, std::ostream* out) {
    *out << "volume " << value.volume;
}

class MovieVolume : public MovieTest, public ::testing::WithParamInterface<VolumeCase> {};

TEST_P(MovieVolume, IsHeldAsSetAndPlayedInPercent) {
    const auto movie = open("clip.mp4");
    ASSERT_NE(movie, nullptr);
    movie->setVolume(GetParam().volume);
    EXPECT_EQ(movie->volume(), GetParam().volume);
    EXPECT_NEAR(mpvDouble(*movie, "volume"), GetParam().outputPercent, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Volumes, MovieVolume,
                         ::testing::Values(VolumeCase{256, 100.0}, VolumeCase{272, 106.25},
                                           VolumeCase{240, 93.75}, VolumeCase{0, 0.0}, VolumeCase{-16, 0.0},
                                           VolumeCase{2560, 1000.0}, VolumeCase{32767, 1000.0},
                                           VolumeCase{-32768, 0.0}));

TEST_F(MovieTest, SeeksExactly) {
    const auto movie = open("clip.mp4");
    ASSERT_NE(movie, nullptr);
    // One after the other, as repeated jumps do: each reads back at once.
    for (const MovieTime target : {MovieTime{1240, 1000}, MovieTime{3, 10}, MovieTime{1960, 1000}}) {
        movie->setCurrentTime(target);
        EXPECT_EQ(movie->currentTime().value, 1000 * target.value / target.scale);
    }
    // The player itself gets there too.
    EXPECT_TRUE(waitUntil([&] { return std::abs(mpvDouble(*movie, "time-pos") - 1.96) < 0.001; }))
        << mpvDouble(*movie, "time-pos");
    EXPECT_EQ(movie->currentTime().value, 1960);
    EXPECT_FALSE(movie->isPlaying());
}

TEST_F(MovieTest, ReadsThePlayPositionAgainOnceASeekSettled) {
    const auto movie = open("clip.mp4");
    ASSERT_NE(movie, nullptr);
    movie->setCurrentTime({500, 1000});
    movie->play();
    EXPECT_TRUE(waitUntil([&] { return movie->currentTime().value > 700; }));
}

TEST_F(MovieTest, ASeekThePlayerRefusesDoesNotStandForThePosition) {
    const auto movie = open("clip.mp4");
    ASSERT_NE(movie, nullptr);
    // mpv keeps at most a thousand undelivered events and replies: with none drained
    // while they are issued, the last seeks are refused at once.
    QLoggingCategory::setFilterRules(QStringLiteral("vistrel.media.mpv.warning=false"));
    for (int seek = 0; seek < 1500; ++seek)
        movie->setCurrentTime({1000, 1000});
    movie->setCurrentTime({1700, 1000});
    QLoggingCategory::setFilterRules({});
    EXPECT_EQ(movie->currentTime().value, 1000);
    EXPECT_TRUE(waitUntil([&] { return std::abs(mpvDouble(*movie, "time-pos") - 1.0) < 0.001; }))
        << mpvDouble(*movie, "time-pos");
    // Once the seeks it took are done, the reported position is the player's again.
    EXPECT_TRUE(waitUntil([&] { return movie->currentTime().value == 1000; }, std::chrono::seconds(5)));
    movie->play();
    EXPECT_TRUE(waitUntil([&] { return movie->currentTime().value > 1100; }));
}

TEST_F(MovieTest, ReportsItsEndOnceToTheObserver) {
    int ends = 0;
    Movie* ended = nullptr;
    engine.observeMovieEnds([&](Movie& movie) {
        ++ends;
        ended = &movie;
    });
    const auto movie = open("clip.mp4");
    ASSERT_NE(movie, nullptr);
    movie->setCurrentTime({1500, 1000});
    movie->setRate(4.0f);
    ASSERT_TRUE(waitUntil([&] { return ends > 0; }));
    EXPECT_EQ(ended, movie.get());
    EXPECT_FALSE(movie->isPlaying());
    EXPECT_EQ(movie->rate(), 0.0f);
    EXPECT_EQ(movie->currentTime(), movie->duration());
    // The last frame stays.
    EXPECT_NE(movie->currentFrameImage(), nullptr);

    // Playing again from the start ends again.
    movie->setCurrentTime({1800, 1000});
    movie->play();
    ASSERT_TRUE(waitUntil([&] { return ends > 1; }));
    EXPECT_EQ(ends, 2);
}

TEST_F(MovieTest, AnEndObserverMayReleaseTheMovie) {
    auto movie = open("tone.wav");
    ASSERT_NE(movie, nullptr);
    bool released = false;
    engine.observeMovieEnds([&](Movie&) {
        movie.reset();
        released = true;
    });
    movie->setCurrentTime({1900, 1000});
    movie->play();
    EXPECT_TRUE(waitUntil([&] { return released; }));
}

TEST_F(MovieTest, CapturesTheFrameOnScreenAtItsNaturalSize) {
    const auto clip = open("clip.mp4");
    ASSERT_NE(clip, nullptr);
    const auto frame = std::dynamic_pointer_cast<QtPicture>(clip->currentFrameImage());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->image().size(), QSize(320, 240));
    EXPECT_EQ(frame->image().pixel(0, 0) >> 24, 0xffu) << "opaque";
    const auto wide = open("wide.mkv");
    ASSERT_NE(wide, nullptr);
    const auto wideFrame = wide->currentFrameImage();
    ASSERT_NE(wideFrame, nullptr);
    EXPECT_EQ(wideFrame->extent(), (Size{640, 240}));
    const auto tone = open("tone.wav");
    ASSERT_NE(tone, nullptr);
    EXPECT_EQ(tone->currentFrameImage(), nullptr);
}

TEST_F(MovieTest, DescribesContainerAndTracks) {
    const auto movie = open("clip.mp4");
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(valueOf(movie->movieAttributes(), "DisplayName"), "clip.mp4");
    EXPECT_EQ(valueOf(movie->movieAttributes(), "NaturalSize"), "320 x 240");
    const auto tracks = movie->tracks();
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(valueOf(tracks[0].track, "Type"), "video");
    EXPECT_EQ(valueOf(tracks[0].media, "Codec"), "h264");
    EXPECT_EQ(valueOf(tracks[0].media, "Width"), "320");
    EXPECT_EQ(valueOf(tracks[1].track, "Type"), "audio");
    EXPECT_EQ(valueOf(tracks[1].media, "SampleRate"), "44100");
}

TEST_F(MovieTest, GivesMatroskaTracksTheContainersLength) {
    const auto movie = open("wide.mkv");
    ASSERT_NE(movie, nullptr);
    const auto tracks = movie->tracks();
    ASSERT_EQ(tracks.size(), 1u);
    const auto seconds = valueOf(tracks[0].track, "Duration");
    ASSERT_TRUE(seconds.has_value());
    EXPECT_NEAR(std::atof(seconds->c_str()), 2.0, 0.05);
}

} // namespace
} // namespace vistrel
