#include "media/pictures/QtPictureService.h"

#include "MediaFixtures.h"
#include "MoreResolution.h"
#include "media/pictures/QtPicture.h"
#include "media/types/ReadableImageTypes.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <gtest/gtest.h>

namespace vistrel {
namespace {

using test::MediaFixtures;

const MediaFixtures& fixtures() {
    return MediaFixtures::get();
}

std::optional<std::string> property(const PictureInfo& info, const std::string& key) {
    return test::valueOf(info.properties, key);
}

QImage decodeBytes(const std::vector<std::uint8_t>& bytes) {
    return QImage::fromData(bytes.data(), static_cast<int>(bytes.size()));
}

const QtPicture& asQtPicture(const DecodedPicture& decoded) {
    return dynamic_cast<const QtPicture&>(*decoded.picture);
}

TEST(QtPictureService, ListsTheCommonPictureSuffixesInLowerCase) {
    const auto types = QtPictureService().pictureFileTypes();
    for (const char* suffix : {"jpg", "jpeg", "png", "gif", "bmp", "tif", "tiff", "webp"})
        EXPECT_NE(std::find(types.begin(), types.end(), suffix), types.end()) << suffix;
    for (const std::string& type : types)
        EXPECT_EQ(QString::fromStdString(type), QString::fromStdString(type).toLower());
}

// The list of readable types is told from the plugins' metadata; the image reader,
// which loads every plugin to ask, must agree with it.
TEST(QtPictureService, KnowsTheReadableTypesWithoutLoadingAPlugin) {
    QList<QByteArray> asked = QImageReader::supportedMimeTypes();
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(ReadableImageTypes::mimeTypes(), asked);
}

TEST(QtPictureService, DecodesStoredPixelsWithTheirOrientation) {
    const DecodedPicture decoded = QtPictureService().decodeFirstImage(fixtures().file("turned.jpg"), {});
    ASSERT_NE(decoded.picture, nullptr);
    EXPECT_EQ(decoded.orientation, 6);
    EXPECT_EQ(decoded.picture->extent(), (Size{300, 200}));
    // Not turned by the reader: the view turns it.
    EXPECT_EQ(asQtPicture(decoded).image().size(), QSize(300, 200));
}

TEST(QtPictureService, ReportsNoOrientationForAPictureWithoutOne) {
    for (const char* file : {"plain.png", "plain.webp"}) {
        const DecodedPicture decoded = QtPictureService().decodeFirstImage(fixtures().file(file), {});
        ASSERT_NE(decoded.picture, nullptr) << file;
        EXPECT_EQ(decoded.orientation, std::nullopt) << file;
    }
}

struct OrientationCase {
    const char* file;
    int orientation; // 1 also for a picture without a tag: both are shown as stored
};

void PrintTo(const OrientationCase& value, std::ostream* out) {
    *out << value.file;
}

class StoredOrientation : public ::testing::TestWithParam<OrientationCase> {};

// Showing reads the orientation through the image reader where it can, inspecting
// through exiv2: both must agree.
TEST_P(StoredOrientation, IsTheSameWhenShownAndWhenInspected) {
    QtPictureService service;
    const DecodedPicture decoded = service.decodeFirstImage(fixtures().file(GetParam().file), {});
    ASSERT_NE(decoded.picture, nullptr);
    EXPECT_EQ(decoded.orientation.value_or(1), GetParam().orientation);
    EXPECT_EQ(service.inspect(fixtures().file(GetParam().file)).orientation.value_or(1),
              GetParam().orientation);
}

INSTANTIATE_TEST_SUITE_P(
    Files, StoredOrientation,
    ::testing::Values(OrientationCase{"oriented1.jpg", 1}, OrientationCase{"oriented2.jpg", 2},
                      OrientationCase{"oriented3.jpg", 3}, OrientationCase{"oriented4.jpg", 4},
                      OrientationCase{"oriented5.jpg", 5}, OrientationCase{"oriented6.jpg", 6},
                      OrientationCase{"oriented7.jpg", 7}, OrientationCase{"oriented8.jpg", 8},
                      OrientationCase{"oriented6.tif", 6}, OrientationCase{"oriented6.webp", 6},
                      OrientationCase{"oriented6.png", 6}, OrientationCase{"plain.webp", 1}));

TEST(QtPictureService, InspectsSizeColourOrientationAndMetadata) {
    const PictureInfo info = QtPictureService().inspect(fixtures().file("turned.jpg"));
    ASSERT_EQ(info.status, PictureStatus::ok);
    EXPECT_EQ(info.pixelWidth, 300);
    EXPECT_EQ(info.pixelHeight, 200);
    EXPECT_EQ(info.colorModel, "RGB");
    EXPECT_EQ(info.depth, 8);
    EXPECT_EQ(info.orientation, 6);
    EXPECT_EQ(property(info, "PixelWidth"), "300");
    EXPECT_EQ(property(info, "ColorModel"), "RGB");
    EXPECT_EQ(property(info, "Exif.Image.Make"), "Fixture Camera");
    EXPECT_TRUE(property(info, "Exif.Image.Orientation").has_value());
    // A 4 KB byte blob would print as thousands of numbers.
    EXPECT_FALSE(property(info, "Exif.Photo.MakerNote").has_value());
}

struct PixelCase {
    const char* file;
    const char* colorModel;
    int depth;
};

void PrintTo(const PixelCase& value, std::ostream* out) {
    *out << value.file;
}

class PictureColourModel : public ::testing::TestWithParam<PixelCase> {};

TEST_P(PictureColourModel, IsReportedAndThePictureDecodes) {
    QtPictureService service;
    const PictureInfo info = service.inspect(fixtures().file(GetParam().file));
    ASSERT_EQ(info.status, PictureStatus::ok);
    EXPECT_EQ(info.colorModel, GetParam().colorModel);
    EXPECT_EQ(info.depth, GetParam().depth);
    EXPECT_NE(service.decodeFirstImage(fixtures().file(GetParam().file), {}).picture, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Files, PictureColourModel,
                         ::testing::Values(PixelCase{"plain.png", "RGB", 8}, PixelCase{"gray.jpg", "Gray", 8},
                                           PixelCase{"gray16.png", "Gray", 16},
                                           PixelCase{"palette.png", "Indexed", 8},
                                           PixelCase{"cmyk.jpg", "CMYK", 8},
                                           PixelCase{"plain.webp", "RGB", 8}));

// WebP's reader tells its pixel format only by decoding.
TEST(QtPictureService, ReportsTheColourModelOfTheSampleWebP) {
    const PictureInfo info = QtPictureService().inspect(VISTREL_SOURCE_DIR "/samples/03-gradients.webp");
    ASSERT_EQ(info.status, PictureStatus::ok);
    EXPECT_EQ(info.colorModel, "RGB");
    EXPECT_EQ(property(info, "ColorModel"), "RGB");
}

TEST(QtPictureService, ReadsTheJpegPixelDensity) {
    const PictureInfo info = QtPictureService().inspect(fixtures().file("printed.jpg"));
    ASSERT_TRUE(info.dpiWidth && info.dpiHeight);
    EXPECT_NEAR(*info.dpiWidth, 300, 1);
    EXPECT_NEAR(*info.dpiHeight, 150, 1);
}

struct DamagedCase {
    const char* file;
    PictureStatus status;
};

void PrintTo(const DamagedCase& value, std::ostream* out) {
    *out << '"' << value.file << '"';
}

class DamagedPicture : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedPicture, FailsCleanly) {
    QtPictureService service;
    EXPECT_EQ(service.inspect(fixtures().file(GetParam().file)).status, GetParam().status);
    EXPECT_EQ(service.decodeFirstImage(fixtures().file(GetParam().file), Size{100, 100}).picture, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedPicture,
                         ::testing::Values(DamagedCase{"truncated.jpg", PictureStatus::unreadable},
                                           DamagedCase{"noise.jpg", PictureStatus::notAPicture},
                                           DamagedCase{"notes.png", PictureStatus::notAPicture},
                                           DamagedCase{"notes.txt", PictureStatus::notAPicture},
                                           DamagedCase{"missing.jpg", PictureStatus::notAPicture},
                                           DamagedCase{"", PictureStatus::notAPicture}));

TEST(QtPictureService, DecodesALargePictureScaledDownButKeepsItsStoredExtent) {
    const DecodedPicture decoded =
        QtPictureService().decodeFirstImage(fixtures().file("large.jpg"), Size{400, 400});
    ASSERT_NE(decoded.picture, nullptr);
    EXPECT_EQ(decoded.picture->extent(), (Size{3000, 2000}));
    EXPECT_EQ(asQtPicture(decoded).image().width(), 400);
    EXPECT_NEAR(asQtPicture(decoded).image().height(), 267, 1);
}

TEST(QtPictureService, DecodesMoreWhenTheViewNeedsMore) {
    QtPictureService service;
    const DecodedPicture decoded = service.decodeFirstImage(fixtures().file("large.jpg"), Size{300, 300});
    const std::shared_ptr<Picture> half = test::withResolution(service, decoded.picture, QSize(1500, 1000));
    ASSERT_NE(half, nullptr);
    EXPECT_GE(half->pixels()->image().width(), 1499);
    EXPECT_GE(half->pixels()->image().height(), 999);
    EXPECT_EQ(half->pixels()->storedSize(), QSize(3000, 2000));
    EXPECT_FALSE(half->pixels()->isFullResolution());
    const std::shared_ptr<Picture> full = test::withResolution(service, half, QSize(9000, 9000));
    ASSERT_NE(full, nullptr);
    EXPECT_TRUE(full->pixels()->isFullResolution());
    EXPECT_EQ(decoded.picture->pixels()->image().width(), 300) << "a picture never changes";
}

// A decode whose requester moved on gives up without a picture.
TEST(QtPictureService, GivesUpADecodeNobodyWants) {
    QtPictureService service;
    const std::string file = fixtures().file("large.jpg");
    EXPECT_EQ(service.decodeWhileWanted(file, Size{400, 400}, [] { return false; }).picture, nullptr);
    EXPECT_NE(service.decodeWhileWanted(file, Size{400, 400}, [] { return true; }).picture, nullptr);
}

// Zooming in step by step decodes at a half, a quarter or an eighth of the stored size,
// so most steps find enough pixels held already.
TEST(QtPictureService, DecodesMoreInFewSteps) {
    QtPictureService service;
    const DecodedPicture decoded = service.decodeFirstImage(fixtures().file("large.jpg"), Size{300, 300});
    const std::shared_ptr<Picture> half = test::withResolution(service, decoded.picture, QSize(800, 500));
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(half->pixels()->image().size(), QSize(1500, 1000));
    EXPECT_EQ(test::withResolution(service, half, QSize(1200, 800)), half) << "decoded again";
}

// The reader's own default limit (128 MB) refuses an ordinary 36-megapixel photo.
TEST(QtPictureService, DecodesAPictureBeyondTheReadersDefaultLimitAtFullSize) {
    const DecodedPicture decoded = QtPictureService().decodeFirstImage(fixtures().file("huge.jpg"), {});
    ASSERT_NE(decoded.picture, nullptr);
    EXPECT_EQ(asQtPicture(decoded).image().size(), QSize(7000, 5200));
}

TEST(QtPictureService, JpegQualityFollowsTheCompressionFactor) {
    QtPictureService service;
    const DecodedPicture decoded = service.decodeFirstImage(fixtures().file("turned.jpg"), {});
    const auto low = service.jpegData(*decoded.picture, 0.1f, 1);
    const auto high = service.jpegData(*decoded.picture, 0.9f, 1);
    ASSERT_FALSE(low.empty());
    EXPECT_LT(low.size(), high.size());
    EXPECT_EQ(decodeBytes(high).size(), QSize(300, 200));
    EXPECT_FALSE(service.jpegData(*decoded.picture, 7.0f, 1).empty());
}

TEST(QtPictureService, EncodesEveryStoredPixelOfAScaledDownPicture) {
    QtPictureService service;
    const DecodedPicture decoded = service.decodeFirstImage(fixtures().file("large.jpg"), Size{300, 300});
    EXPECT_EQ(decodeBytes(service.jpegData(*decoded.picture, 0.5f, 1)).size(), QSize(3000, 2000));
}

TEST(QtPictureService, WritesTiffData) {
    QtPictureService service;
    const DecodedPicture decoded = service.decodeFirstImage(fixtures().file("plain.png"), {});
    const auto tiff = service.tiffData(*decoded.picture);
    ASSERT_FALSE(tiff.empty());
    QByteArray bytes(reinterpret_cast<const char*>(tiff.data()), static_cast<qsizetype>(tiff.size()));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    EXPECT_EQ(reader.format(), "tiff");
    EXPECT_EQ(reader.read().size(), QSize(40, 30));
}

TEST(QtPictureService, EncodesNothingForAPictureItDidNotMake) {
    struct ForeignPicture : Picture {
        Size extent() const override { return {1, 1}; }
    };
    EXPECT_TRUE(QtPictureService().jpegData(ForeignPicture(), 0.5f, 1).empty());
}

} // namespace
} // namespace vistrel
