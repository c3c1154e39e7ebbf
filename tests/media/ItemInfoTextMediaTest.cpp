#include "core/info/ItemInfoText.h"

#include "MediaFixtures.h"
#include "movies/MovieProbe.h"
#include "media/movies/ModuleMovieService.h"
#include "TestExecutor.h"
#include "media/pictures/QtPictureService.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel {
namespace {

using test::MediaFixtures;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

const MediaFixtures& fixtures() {
    return MediaFixtures::get();
}

class ItemInfoTextOnFiles : public ::testing::Test {
  protected:
    std::optional<std::string> infoOf(const std::string& path) { return getInfoString(path, pictures, movies); }
    std::optional<std::string> infoOfFixture(const char* name) { return infoOf(fixtures().file(name)); }

    QtPictureService pictures;
    ModuleMovieService movies{test::testExecutor()};
};

class MovieInfoText : public ItemInfoTextOnFiles {
  protected:
    void SetUp() override {
        if (!fixtures().canMakeMovies())
            GTEST_SKIP() << "ffmpeg could not generate the test movies";
    }
};

TEST_F(ItemInfoTextOnFiles, DescribesAPhotoWithItsSizeAndExifKeysButNoMoviePart) {
    const std::string text = infoOfFixture("turned.jpg").value_or("");
    EXPECT_THAT(text, StartsWith(" Name: turned.jpg\n{\n"));
    EXPECT_THAT(text, HasSubstr("    PixelWidth = 300;\n    PixelHeight = 200;\n"));
    EXPECT_THAT(text, HasSubstr("    ColorModel = RGB;\n"));
    EXPECT_THAT(text, HasSubstr("    \"Exif.Image.Make\" = \"Fixture Camera\";\n"));
    EXPECT_THAT(text, HasSubstr("    \"Exif.Image.Orientation\" = "));
    EXPECT_THAT(text, Not(HasSubstr("MakerNote")));
    EXPECT_THAT(text, Not(HasSubstr("Duration")));
}

TEST_F(ItemInfoTextOnFiles, ListsIptcAndXmpKeysAndTextStoredAsBytesButNoNumberTables) {
    const std::string text = infoOfFixture("tagged.jpg").value_or("");
    EXPECT_THAT(text, HasSubstr("    \"Iptc.Application2.Caption\" = \"Harbour at dusk\";\n"));
    EXPECT_THAT(text, HasSubstr("    \"Xmp.dc.creator\" = \"Fixture Photographer\";\n"));
    EXPECT_THAT(text, HasSubstr("    \"Exif.Photo.UserComment\" = \"charset=Ascii A comment long enough"));
    EXPECT_THAT(text, Not(HasSubstr("TransferFunction")));
}

TEST_F(MovieInfoText, DescribesAMovieWithOneTrackPerStream) {
    const std::string text = infoOfFixture("clip.mp4").value_or("");
    EXPECT_THAT(text, StartsWith(" Duration: 0.03 Minutes\n Name: clip.mp4\n Width: 320 Pixels\n Height 240 Pixels\n"
                                 "\n Raw Data: \n{\n"));
    EXPECT_THAT(text, HasSubstr("\n\n Track Raw Data Nr. 0:\n{\n"));
    EXPECT_THAT(text, HasSubstr("    Codec = h264;\n"));
    EXPECT_THAT(text, HasSubstr("\n\n Track Raw Data Nr. 1:\n{\n"));
    EXPECT_THAT(text, HasSubstr("    Codec = aac;\n"));
    EXPECT_THAT(text, HasSubstr("    CodecName = \"AAC (Advanced Audio Coding)\";\n"));
    EXPECT_THAT(text, Not(HasSubstr("Nr. 2")));
}

TEST_F(MovieInfoText, ReportsTheLengthInMillisecondsAndTheShownSize) {
    const auto clip = movies.movieFacts(fixtures().file("clip.mp4"));
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->timeScale, 1000);
    EXPECT_NEAR(clip->duration, 2000, 50);
    // Pixels twice as wide as high; the title names the movie.
    const auto wide = movies.movieFacts(fixtures().file("wide.mkv"));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->displayName, "Test Pattern");
    EXPECT_EQ(wide->naturalBounds.right - wide->naturalBounds.left, 640);
    EXPECT_EQ(wide->naturalBounds.bottom - wide->naturalBounds.top, 240);
    ASSERT_EQ(wide->tracks.size(), 1u);
    EXPECT_EQ(test::valueOf(wide->tracks[0].track, "Duration"), "2.000") << "the container's length";
    EXPECT_EQ(test::valueOf(wide->movieAttributes, "Tag title"), "Test Pattern");
}

TEST_F(MovieInfoText, GivesASoundNoPictureSize) {
    const std::string text = infoOfFixture("tone.wav").value_or("");
    EXPECT_THAT(text, StartsWith(" Duration: 0.03 Minutes\n Name: tone.wav\n Width: 0 Pixels\n Height 0 Pixels\n"));
    EXPECT_THAT(text, HasSubstr("    SampleRate = 44100;\n"));
}

TEST_F(MovieInfoText, DescribesAnAnimatedPictureAsPictureAndMovie) {
    const std::string text = infoOfFixture("moving.gif").value_or("");
    EXPECT_THAT(text, StartsWith(" Name: moving.gif\n{\n"));
    EXPECT_THAT(text, HasSubstr("\n}\n\n Duration: "));
    EXPECT_THAT(text, HasSubstr("    Codec = gif;\n"));
}

TEST_F(MovieInfoText, FollowsALinkToAMovie) {
    QTemporaryDir folder;
    const QString link = QDir(folder.path()).filePath("link.mp4");
    ASSERT_TRUE(QFile::link(fixtures().path("clip.mp4"), link));
    EXPECT_THAT(infoOf(link.toStdString()).value_or(""), HasSubstr(" Width: 320 Pixels\n"));
}

// A damaged Exif block costs its keys, never the rest of the text.
class DamagedExif : public ItemInfoTextOnFiles, public ::testing::WithParamInterface<const char*> {};

TEST_P(DamagedExif, LeavesTheNameAndPixelSize) {
    const std::string text = infoOfFixture(GetParam()).value_or("");
    EXPECT_THAT(text, StartsWith(std::string(" Name: ") + GetParam() + "\n{\n"));
    EXPECT_THAT(text, HasSubstr("    PixelWidth = 64;\n    PixelHeight = 48;\n"));
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedExif,
                         ::testing::Values("exif-far.jpg", "exif-huge-count.jpg", "exif-loop.jpg", "exif-cycle.jpg",
                                           "exif-cut.jpg"));

// Neither a picture nor a movie: nothing, at once.
class NotAnItem : public MovieInfoText, public ::testing::WithParamInterface<const char*> {};

TEST_P(NotAnItem, HasNoInformationText) {
    EXPECT_EQ(infoOfFixture(GetParam()), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Files, NotAnItem,
                         ::testing::Values("noise.mp4", "noise.mp3", "empty.mp4", "notes.txt", "truncated.mp4",
                                           "missing.mp4"));

TEST_F(MovieInfoText, DescribesTheReadablePartOfACutMovie) {
    const std::string text = infoOfFixture("truncated-indexed.mp4").value_or("");
    EXPECT_THAT(text, StartsWith(" Duration: 0.03 Minutes\n"));
    EXPECT_THAT(text, HasSubstr("    Codec = mpeg4;\n"));
}

TEST_F(ItemInfoTextOnFiles, StillPicturesAreNoMovies) {
    EXPECT_EQ(movies.movieFacts(fixtures().file("turned.jpg")), std::nullopt);
    EXPECT_EQ(movies.movieFacts(fixtures().file("plain.png")), std::nullopt);
    EXPECT_EQ(movies.movieFacts(fixtures().file("noise.jpg")), std::nullopt);
}

// Opening a pipe for reading waits for a writer: whatever reads it must not try.
TEST_F(ItemInfoTextOnFiles, IgnoresPipesAndDevicesNamedLikeMovies) {
    QTemporaryDir folder;
    const std::string pipeMovie = QDir(folder.path()).filePath("pipe.mp4").toStdString();
    const std::string pipePicture = QDir(folder.path()).filePath("pipe.jpg").toStdString();
    const QString device = QDir(folder.path()).filePath("zero.mp4");
    ASSERT_EQ(::mkfifo(pipeMovie.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(pipePicture.c_str(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", device));

    for (const std::string& path : {pipeMovie, pipePicture, device.toStdString()}) {
        auto info = std::async(std::launch::async, [&] { return infoOf(path); });
        if (info.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
            ADD_FAILURE() << path << " blocked the reader";
            // A writer coming and going lets the blocked reader see the end.
            ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));
        }
        EXPECT_EQ(info.get(), std::nullopt) << path;
    }
}

} // namespace
} // namespace vistrel
