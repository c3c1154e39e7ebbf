// Phone and web picture formats (HEIC, AVIF, JPEG XL) through their own libraries,
// and colour profiles converted to sRGB whatever the container.

#include "MediaFixtures.h"
#include "media/pictures/PictureDecoder.h"
#include "media/pictures/QtPicture.h"
#include "MoreResolution.h"
#include "media/pictures/QtPictureService.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTransform>
#include <algorithm>
#include <gtest/gtest.h>

namespace vistrel {
namespace {

using test::MediaFixtures;

std::string fixture(const QString& name) {
    return MediaFixtures::get().file(name);
}

const QImage& imageOf(const DecodedPicture& decoded) {
    return dynamic_cast<const QtPicture&>(*decoded.picture).image();
}

// The fixtures' test pattern: a yellow block in the top-left corner on dark blue.
bool isYellow(QColor colour) {
    return colour.red() > 180 && colour.green() > 180 && colour.blue() < 100;
}

bool isDarkBlue(QColor colour) {
    return colour.red() < 60 && colour.green() < 60 && colour.blue() > 80;
}

TEST(LibraryPictureFormats, AreListedForFolderScans) {
    const auto types = QtPictureService().pictureFileTypes();
    for (const char* suffix : {"heic", "heif", "hif", "avif", "jxl"})
        EXPECT_EQ(std::count(types.begin(), types.end(), suffix), 1) << suffix;
}

// The file stores the photo on its side; irot turns it, and the Exif orientation
// repeating the turn must not turn it a second time.
TEST(LibraryPictureFormats, AHeicPhotoStoredOnItsSideShowsUpright) {
    QtPictureService service;
    const DecodedPicture decoded = service.decodeFirstImage(fixture("rotated.heic"), {});
    ASSERT_NE(decoded.picture, nullptr);
    EXPECT_EQ(decoded.orientation.value_or(1), 1);
    EXPECT_EQ(decoded.picture->extent(), (Size{300, 200}));
    const QImage& image = imageOf(decoded);
    ASSERT_EQ(image.size(), QSize(300, 200));
    EXPECT_TRUE(isYellow(image.pixelColor(20, 20))) << image.pixelColor(20, 20).name().toStdString();
    EXPECT_TRUE(isDarkBlue(image.pixelColor(280, 190)));

    const PictureInfo info = service.inspect(fixture("rotated.heic"));
    ASSERT_EQ(info.status, PictureStatus::ok);
    EXPECT_EQ(info.pixelWidth, 300);
    EXPECT_EQ(info.pixelHeight, 200);
    EXPECT_EQ(info.orientation.value_or(1), 1);
    EXPECT_EQ(info.colorModel, "RGB");
    EXPECT_EQ(info.depth, 8);
    EXPECT_EQ(test::valueOf(info.properties, "Format"), "heif");
    EXPECT_EQ(test::valueOf(info.properties, "Exif.Image.Make"), "Fixture Phone");
}

// Shown while the photo decodes: the thumbnail turned as the photo is, standing for the
// whole photo. A picture that decodes quickly, or carries none, has no first look.
TEST(LibraryPictureFormats, ALargeHeicPhotoGivesItsThumbnailForAFirstLook) {
    QtPictureService service;
    EXPECT_TRUE(service.mayHaveFirstLook("/photos/IMG_0001.HEIC"));
    EXPECT_FALSE(service.mayHaveFirstLook("/photos/IMG_0001.jpg"));
    const DecodedPicture look = service.decodeFirstLook(fixture("thumbnailed.heic"), {800, 800});
    ASSERT_NE(look.picture, nullptr);
    EXPECT_EQ(look.orientation.value_or(1), 1);
    EXPECT_EQ(look.picture->extent(), (Size{2400, 1700}));
    const QImage& image = imageOf(look);
    EXPECT_EQ(image.width(), 240);
    EXPECT_TRUE(isYellow(image.pixelColor(20, 20))) << image.pixelColor(20, 20).name().toStdString();
    EXPECT_TRUE(isDarkBlue(image.pixelColor(image.width() - 20, image.height() - 10)));

    EXPECT_EQ(service.decodeFirstLook(fixture("rotated.heic"), {800, 800}).picture, nullptr);
    EXPECT_EQ(service.decodeFirstLook(fixture("truncated.heic"), {800, 800}).picture, nullptr);
}

TEST(LibraryPictureFormats, AnAvifShows) {
    QtPictureService service;
    const DecodedPicture decoded = service.decodeFirstImage(fixture("plain.avif"), {});
    ASSERT_NE(decoded.picture, nullptr);
    EXPECT_EQ(imageOf(decoded).size(), QSize(40, 30));
    EXPECT_TRUE(isYellow(imageOf(decoded).pixelColor(3, 3)));
    const PictureInfo info = service.inspect(fixture("plain.avif"));
    ASSERT_EQ(info.status, PictureStatus::ok);
    EXPECT_EQ(test::valueOf(info.properties, "Format"), "avif");
    EXPECT_EQ(info.pixelWidth, 40);
}

// JPEG XL's orientation is the codestream's own: the pixels stay as stored, and the
// view turns them like a JPEG's.
TEST(LibraryPictureFormats, AJpegXlKeepsItsStoredPixelsAndReportsItsTurn) {
    QtPictureService service;
    const DecodedPicture decoded = service.decodeFirstImage(fixture("rotated.jxl"), {});
    ASSERT_NE(decoded.picture, nullptr);
    EXPECT_EQ(decoded.orientation, 6);
    EXPECT_EQ(decoded.picture->extent(), (Size{200, 300}));
    const QImage shown = imageOf(decoded).transformed(QTransform().rotate(90));
    EXPECT_TRUE(isYellow(shown.pixelColor(20, 20)));

    const PictureInfo info = service.inspect(fixture("rotated.jxl"));
    ASSERT_EQ(info.status, PictureStatus::ok);
    EXPECT_EQ(info.orientation, 6);
    EXPECT_EQ(info.pixelWidth, 200);
    EXPECT_EQ(test::valueOf(info.properties, "Format"), "jxl");
}

TEST(LibraryPictureFormats, AreScaledDownToWhatTheViewNeedsAndDecodedAgainWhenZoomed) {
    for (const char* file : {"rotated.heic", "rotated.jxl"}) {
        const DecodedPicture decoded = QtPictureService().decodeFirstImage(fixture(file), Size{100, 100});
        ASSERT_NE(decoded.picture, nullptr) << file;
        auto& picture = dynamic_cast<QtPicture&>(*decoded.picture);
        EXPECT_EQ(std::max(picture.image().width(), picture.image().height()), 100) << file;
        EXPECT_EQ(std::max(decoded.picture->extent().width, decoded.picture->extent().height), 300) << file;
        QtPictureService service;
        const std::shared_ptr<Picture> zoomed = test::withResolution(service, decoded.picture, QSize(300, 300));
        ASSERT_NE(zoomed, nullptr) << file;
        EXPECT_TRUE(zoomed->pixels()->isFullResolution()) << file;
    }
}

// A cut-off file may keep a readable header, but without its pixels it is not shown;
// the tiles of a grid that are still there are.
TEST(LibraryPictureFormats, DamagedFilesShowOnlyWhatTheyStillHold) {
    QtPictureService service;
    for (const char* file : {"truncated.heic", "truncated.avif", "truncated.jxl", "noise.heic"})
        EXPECT_EQ(service.decodeFirstImage(fixture(file), Size{100, 100}).picture, nullptr) << file;
    EXPECT_EQ(service.inspect(fixture("truncated.avif")).status, PictureStatus::unreadable);
    EXPECT_EQ(service.inspect(fixture("noise.heic")).status, PictureStatus::notAPicture);

    // A phone photo's grid of two tiles whose second tile is cut off: the first shows
    // in its place, the second's place stays black.
    const DecodedPicture grid =
        service.decodeFirstImage(VISTREL_SOURCE_DIR "/fuzz/corpus/helper/grid-missing-tile.heic", {});
    ASSERT_NE(grid.picture, nullptr);
    const QImage& image = imageOf(grid);
    ASSERT_EQ(image.size(), QSize(128, 64));
    const QColor magenta = image.pixelColor(32, 32); // the test card's colour bars
    EXPECT_TRUE(magenta.red() > 200 && magenta.green() < 60 && magenta.blue() > 200) << magenta.name().toStdString();
    EXPECT_EQ(image.pixelColor(100, 32), QColor(Qt::black));
}

// Bytes damaged anywhere in the file: any outcome but a crash or a hang will do.
TEST(LibraryPictureFormats, SurviveDamagedBytes) {
    QtPictureService service;
    QRandomGenerator random(7);
    for (const QString name : {"rotated.heic", "plain.avif", "rotated.jxl"}) {
        QFile source(MediaFixtures::get().path(name));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        const QByteArray whole = source.readAll();
        const QString damagedPath = MediaFixtures::get().path("damaged-" + name);
        for (int round = 0; round < 30; ++round) {
            QByteArray damaged = whole;
            for (int flip = 0; flip < 6; ++flip)
                damaged[random.bounded(damaged.size())] = static_cast<char>(random.bounded(256));
            QFile file(damagedPath);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(damaged);
            file.close();
            service.decodeFirstImage(damagedPath.toStdString(), Size{100, 100});
            service.inspect(damagedPath.toStdString());
        }
    }
}

// A photo from a phone named like a JPEG is still read.
TEST(LibraryPictureFormats, AreRecognisedByContentNotByName) {
    const QString copy = MediaFixtures::get().path("rotated.heic") + ".jpg";
    QFile::copy(MediaFixtures::get().path("rotated.heic"), copy);
    const DecodedPicture decoded = QtPictureService().decodeFirstImage(copy.toStdString(), {});
    ASSERT_NE(decoded.picture, nullptr);
    EXPECT_EQ(imageOf(decoded).size(), QSize(300, 200));
}

QColor centreOf(const QImage& image) {
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

class EmbeddedProfile : public ::testing::TestWithParam<const char*> {
  protected:
    QColor decodedCentre(const char* name, std::optional<Size> bound = {}) {
        const DecodedPicture decoded =
            service.decodeFirstImage(fixture(QStringLiteral("%1.%2").arg(name, GetParam())), bound);
        return decoded.picture ? centreOf(imageOf(decoded)) : QColor();
    }
    QtPictureService service;
};

// (100, 180, 100) in Display P3 is about (65, 182, 89) in sRGB, scaled down or not.
TEST_P(EmbeddedProfile, IsConvertedToSrgbWhenDecoded) {
    const QColor untagged = decodedCentre("sage");
    ASSERT_TRUE(untagged.isValid());
    EXPECT_NEAR(untagged.red(), 100, 6);
    EXPECT_NEAR(untagged.green(), 180, 6);
    for (const std::optional<Size> bound : {std::optional<Size>(), std::optional(Size{16, 16})}) {
        const QColor tagged = decodedCentre("sage-p3", bound);
        ASSERT_TRUE(tagged.isValid());
        EXPECT_NEAR(tagged.red(), 65, 8);
        EXPECT_NEAR(tagged.green(), 182, 8);
        EXPECT_NEAR(tagged.blue(), 89, 8);
    }
}

INSTANTIATE_TEST_SUITE_P(Containers, EmbeddedProfile, ::testing::Values("png", "jpg", "heic", "avif", "jxl"));

QImage decodeBytes(const std::vector<std::uint8_t>& bytes) {
    return QImage::fromData(bytes.data(), static_cast<int>(bytes.size()));
}

// A frame copied or saved from a converted picture holds the colours shown, and is not
// converted a second time when read back.
TEST(EmbeddedProfile, CopiesHoldTheColoursShown) {
    QtPictureService service;
    const DecodedPicture decoded = service.decodeFirstImage(fixture("sage-p3.png"), {});
    ASSERT_NE(decoded.picture, nullptr);
    const QColor shown = centreOf(imageOf(decoded));
    for (QImage copy : {decodeBytes(service.pngData(*decoded.picture)),
                        decodeBytes(service.jpegData(*decoded.picture, 1.0f, 1))}) {
        ASSERT_FALSE(copy.isNull());
        PictureDecoder::convertToSrgb(copy); // as the viewer reads it back
        const QColor colour = centreOf(copy);
        EXPECT_NEAR(colour.red(), shown.red(), 4);
        EXPECT_NEAR(colour.green(), shown.green(), 4);
        EXPECT_NEAR(colour.blue(), shown.blue(), 4);
    }
}

} // namespace
} // namespace vistrel
