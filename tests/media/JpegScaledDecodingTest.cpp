// The streaming JPEG path against the general image reader's scaled read of the same
// file: colour, gray, progressive and profiled pictures, every Exif orientation, and
// damaged files.

#include "media/pictures/ExifOrientationSegment.h"
#include "media/pictures/JpegScaledDecoder.h"
#include "media/pictures/PictureDecoder.h"

#include "MediaFixtures.h"
#include "ScaledDecodingChecks.h"
#include "TemporaryFolder.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <gtest/gtest.h>

namespace vistrel {
namespace {

using test::TemporaryFolder;

constexpr QSize pictureSize{800, 600};
constexpr QSize bound{280, 280}; // between eighths: decoded at 3/8, then folded

// Gradients with shapes on them: detail a scaled decode must keep in place.
QImage photo() {
    QImage image(pictureSize, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, pictureSize.width(), pictureSize.height());
    gradient.setColorAt(0, QColor(30, 80, 160));
    gradient.setColorAt(1, QColor(240, 150, 80));
    painter.fillRect(image.rect(), gradient);
    for (int i = 0; i < 40; ++i)
        painter.fillRect((i * 7919) % pictureSize.width(), (i * 104729) % pictureSize.height(), 60, 40,
                         QColor::fromHsv((i * 37) % 360, 200, 220));
    return image;
}

QByteArray encoded(const QImage& image, bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(92);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

class JpegScaledDecoding : public ::testing::Test {
  protected:
    std::string write(const char* name, const QByteArray& bytes) {
        folder.write(name, bytes.toStdString());
        return folder.file(name);
    }

    static std::optional<PictureDecoder::Result> streamed(const std::string& path, const Parallelism& parallelism,
                                                          QSize toFit = bound) {
        return test::decodeFile(JpegScaledDecoder::decode, path, test::fitted(pictureSize, toFit), parallelism);
    }

    TemporaryFolder folder;
};

struct Kind {
    const char* name;
    QByteArray bytes;
};

void PrintTo(const Kind& kind, std::ostream* out) {
    *out << kind.name;
}

class JpegKind : public JpegScaledDecoding, public ::testing::WithParamInterface<Kind> {};

// Both at an exact eighth of the stored size (300 x 225) and between eighths.
TEST_P(JpegKind, MatchesTheGeneralReaderOnOneThreadAndTwo) {
    const std::string path = write("picture.jpg", GetParam().bytes);
    for (const QSize eachBound : {bound, QSize(300, 300)}) {
        const QImage expected = test::readerScaledRead(path, eachBound);
        ASSERT_FALSE(expected.isNull());
        for (const Parallelism& parallelism : {Parallelism{}, test::onTwoThreads()}) {
            const std::optional<PictureDecoder::Result> result = streamed(path, parallelism, eachBound);
            ASSERT_TRUE(result.has_value());
            EXPECT_EQ(result->storedSize, pictureSize);
            EXPECT_EQ(result->image.format(), QImage::Format_RGB32);
            QImage image = result->image;
            PictureDecoder::convertToSrgb(image);
            // Between eighths the reader rescales smoothly where we average areas.
            test::expectClose(image, expected, 12, 0.6);
        }
    }
}

QImage inDisplayP3(QImage image) {
    image.setColorSpace(QColorSpace::DisplayP3);
    return image;
}

INSTANTIATE_TEST_SUITE_P(Kinds, JpegKind,
                         ::testing::Values(Kind{"colour", encoded(photo())},
                                           Kind{"gray", encoded(photo().convertToFormat(QImage::Format_Grayscale8))},
                                           Kind{"progressive", encoded(photo(), true)},
                                           Kind{"displayP3", encoded(inDisplayP3(photo()))}));

// The view turns the stored pixels as the file's Exif block says; the streaming path
// must hand on what the reader reads from it, and so must the own decoders reading the
// block themselves before the application object exists.
TEST_F(JpegScaledDecoding, KeepsEveryExifOrientation) {
    const QByteArray plain = encoded(photo());
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const std::string path = write("turned.jpg", ExifOrientationSegment::insertInto(plain, orientation));
        const PictureDecoder::Result decoded = PictureDecoder::decode(path, bound);
        ASSERT_FALSE(decoded.image.isNull()) << orientation;
        EXPECT_EQ(decoded.image.size(), test::fitted(pictureSize, bound)) << orientation;
        QImageReader reader(QString::fromStdString(path));
        EXPECT_EQ(decoded.transformation, reader.transformation()) << orientation;
        EXPECT_EQ(orientation == 1, *decoded.transformation == QImageIOHandler::TransformationNone) << orientation;
        const std::optional<PictureDecoder::Result> alone = PictureDecoder::decodeWithOwnDecoder(path, bound);
        ASSERT_TRUE(alone.has_value()) << orientation;
        EXPECT_EQ(alone->transformation, decoded.transformation) << orientation;
        EXPECT_EQ(alone->image, decoded.image) << orientation;
    }
}

// Alone, the own decoders take only a JPEG larger than needed, with no colour profile
// to convert and an Exif block they can read; everything else waits for the general path.
TEST_F(JpegScaledDecoding, OwnDecodersAloneStandAsideForWhatTheyCannotVouchFor) {
    const std::string plain = write("plain.jpg", encoded(photo()));
    EXPECT_TRUE(PictureDecoder::decodeWithOwnDecoder(plain, bound).has_value());
    EXPECT_FALSE(PictureDecoder::decodeWithOwnDecoder(plain, QSize(1920, 1920)).has_value()) << "shown whole";
    EXPECT_FALSE(PictureDecoder::decodeWithOwnDecoder(write("p3.jpg", encoded(inDisplayP3(photo()))), bound));

    QByteArray oddExif = ExifOrientationSegment::insertInto(encoded(photo()), 6);
    const qsizetype tag = oddExif.indexOf(QByteArray::fromHex("01120003"));
    ASSERT_GE(tag, 0);
    oddExif[tag + 3] = 4; // the orientation as a LONG, which readers treat differently
    EXPECT_FALSE(PictureDecoder::decodeWithOwnDecoder(write("odd.jpg", oddExif), bound));
}

// A CMYK picture is left to the general reader, which converts its inks.
TEST_F(JpegScaledDecoding, LeavesCmykPicturesToTheGeneralReader) {
    const std::string path = test::MediaFixtures::get().file("cmyk.jpg");
    const QSize stored(16, 16);
    const QSize small(8, 8);
    EXPECT_FALSE(test::decodeFile(JpegScaledDecoder::decode, path, small, Parallelism{}));
    const PictureDecoder::Result decoded = PictureDecoder::decode(path, small);
    EXPECT_EQ(decoded.storedSize, stored);
    EXPECT_EQ(decoded.image.size(), small);
}

// A file cut short shows what it holds above flat gray, as the general reader shows
// it; data that is no JPEG at all fails with a reason.
TEST_F(JpegScaledDecoding, ShowsWhatACutFileHoldsAndFailsOnGarbage) {
    const QByteArray whole = encoded(photo());
    const std::string cut = write("cut.jpg", whole.left(whole.size() / 2));
    const PictureDecoder::Result decoded = PictureDecoder::decode(cut, bound);
    const QImage expected = test::readerScaledRead(cut, bound);
    ASSERT_FALSE(expected.isNull());
    test::expectClose(decoded.image, expected, 12, 0.6);

    QByteArray garbage = whole.left(2);
    for (int i = 0; i < 5000; ++i)
        garbage.append(char((i * 7919) & 0xFF));
    const std::string garbled = write("garbled.jpg", garbage);
    const std::optional<PictureDecoder::Result> failed =
        streamed(garbled, test::onTwoThreads());
    ASSERT_TRUE(failed.has_value());
    EXPECT_TRUE(failed->image.isNull());
    EXPECT_FALSE(failed->failure.isEmpty());
}

} // namespace
} // namespace vistrel
