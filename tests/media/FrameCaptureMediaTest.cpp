#include "FakeAlerts.h"
#include "FakeBackgroundWork.h"
#include "MediaFixtures.h"
#include "OpenedMovie.h"
#include "TemporaryFolder.h"
#include "TestExecutor.h"
#include "core/capture/FrameWriter.h"
#include "core/show/ItemLoader.h"
#include "StoredOrientation.h"
#include "media/movies/ModuleMovieService.h"
#include "media/pictures/QtPicture.h"
#include "media/pictures/QtPictureService.h"

#include <QBuffer>
#include <QImageReader>
#include <gtest/gtest.h>

namespace vistrel {
namespace {

using test::TemporaryFolder;

std::string sample(const char* name) {
    return std::string(VISTREL_SOURCE_DIR) + "/samples/" + name;
}

QSize sizeOf(const std::string& path, bool turned) {
    QImageReader reader(QString::fromStdString(path));
    reader.setAutoTransform(turned);
    return reader.read().size();
}

QByteArray asQBytes(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

// Frames through the real encoder onto the real disk, the background run at once.
class RealFrameCapture : public ::testing::Test {
  protected:
    FrameSource source(std::optional<std::string> item) const {
        FrameSource frame;
        frame.imagePath = folder.path();
        frame.imageCompression = 0.8f;
        frame.itemPath = std::move(item);
        return frame;
    }

    TemporaryFolder folder;
    test::FakeAlerts alerts;
    test::FakeBackgroundWork work;
    QtPictureService pictures;
    ItemLoader decodes{work, pictures};
    FrameWriter writer{alerts, pictures, work, decodes};
};

// The view holds a screen-sized decode; the file gets every stored pixel, unturned,
// and the orientation tag that turns it as it was shown.
TEST_F(RealFrameCapture, APictureKeepsItsStoredPixelsAndCarriesItsOrientation) {
    const std::string path = sample("02-portrait-exif6.jpg");
    const DecodedPicture shown = pictures.decodeFirstImage(path, Size{300.0f, 300.0f});
    ASSERT_EQ(shown.orientation, 6);
    ASSERT_LT(dynamic_cast<const QtPicture&>(*shown.picture).image().width(), 1200);

    FrameSource frame = source(path);
    frame.picture = shown.picture;
    frame.orientation = 6;
    writer.saveFrame(frame, FrameWriter::WhenBusy::queue);

    ASSERT_TRUE(alerts.warnings.empty());
    const std::string written = folder.file("02-portrait-exif6_00000.jpg");
    EXPECT_EQ(sizeOf(written, false), QSize(1200, 900));
    EXPECT_EQ(sizeOf(written, true), QSize(900, 1200));
    EXPECT_EQ(test::storedOrientation(written), 6);
}

TEST_F(RealFrameCapture, EveryOrientationIsReadBackAndUprightGetsNoTag) {
    const DecodedPicture decoded =
        pictures.decodeFirstImage(test::MediaFixtures::get().file("plain.png"), {});
    ASSERT_NE(decoded.picture, nullptr);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const QByteArray jpeg = asQBytes(pictures.jpegData(*decoded.picture, 0.5f, orientation));
        const std::string name = "o" + std::to_string(orientation) + ".jpg";
        folder.write(name, jpeg.toStdString());
        const auto read = test::storedOrientation(folder.file(name));
        EXPECT_EQ(read, orientation == 1 ? std::nullopt : std::optional<int>(orientation));
        EXPECT_EQ(sizeOf(folder.file(name), false), QSize(40, 30));
    }
}

TEST_F(RealFrameCapture, CopiesComeAsPng) {
    const DecodedPicture decoded =
        pictures.decodeFirstImage(test::MediaFixtures::get().file("plain.png"), {});
    QByteArray png = asQBytes(pictures.pngData(*decoded.picture));
    QBuffer buffer(&png);
    QImageReader reader(&buffer);
    EXPECT_EQ(reader.format(), "png");
    EXPECT_EQ(reader.read().size(), QSize(40, 30));
}

TEST_F(RealFrameCapture, AMovieFrameIsWrittenAtTheMoviesSize) {
    ModuleMovieService movies{test::testExecutor()};
    const std::string path = sample("04-testcard.mp4");
    const auto movie = test::openedMovie(movies, path);
    ASSERT_NE(movie, nullptr);
    movie->play();
    ASSERT_TRUE(test::waitUntil([&] { return movie->currentTime().value > 0; }));

    FrameSource frame = source(path);
    frame.movie = movie;
    writer.saveFrame(frame, FrameWriter::WhenBusy::queue);
    ASSERT_TRUE(alerts.warnings.empty());
    const std::string written = folder.file("04-testcard_00000.jpg");
    EXPECT_EQ(sizeOf(written, false), QSize(1280, 720));
    EXPECT_EQ(test::storedOrientation(written), std::nullopt);
}

} // namespace
} // namespace vistrel
