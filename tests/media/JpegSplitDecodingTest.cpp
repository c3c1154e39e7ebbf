// Decoding a JPEG's one stream in several segments at once, as the picture decoder does
// it: about as close to the whole picture as the library's scaled read, for every
// layout of components and every scale; and where the segments fail, the library's
// decode. (That the segments decode exactly as one decoder does is the codec's test.)

#include "JpegLayouts.h"
#include "ScaledDecodingChecks.h"
#include "TemporaryFolder.h"
#include "ThreadedParallelism.h"
#include "media/pictures/JpegScaledDecoder.h"
#include "media/pictures/PictureDecoder.h"

#include <QImage>
#include <QPainter>
#include <cstdio>
#include <new>
#include <random>
#include <vector>

namespace vistrel {
namespace {

using test::TemporaryFolder;

constexpr QSize pictureSize{1001, 757}; // no whole number of MCUs either way

// Shapes over a gradient with a little noise: detail to keep in place, and data
// enough for several segments.
QImage photo() {
    QImage image(pictureSize, QImage::Format_RGB888);
    std::minstd_rand random(11);
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            row[3 * x] = uchar(40 + x / 6 + int(random() % 8));
            row[3 * x + 1] = uchar(60 + y / 5 + int(random() % 8));
            row[3 * x + 2] = uchar(200 - (x + y) / 12 + int(random() % 8));
        }
    }
    QPainter painter(&image);
    for (int i = 0; i < 30; ++i)
        painter.fillRect((i * 7919) % pictureSize.width(), (i * 104729) % pictureSize.height(), 90, 60,
                         QColor::fromHsv((i * 37) % 360, 220, 230));
    return image;
}

using test::JpegLayout;

// `image` (red-green-blue bytes) written by libjpeg in `layout`, at quality 90.
std::string encoded(const QImage& image, const JpegLayout& layout) {
    const QImage source =
        image.convertToFormat(layout.components == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    return test::encodedJpeg(source.constBits(), source.width(), source.height(),
                             std::size_t(source.bytesPerLine()), layout);
}

double meanDifference(const QImage& actual, const QImage& expected) {
    EXPECT_EQ(actual.size(), expected.size());
    if (actual.size() != expected.size())
        return 255;
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage b = expected.convertToFormat(QImage::Format_RGB32);
    double total = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            total +=
                std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return total / (3.0 * a.width() * a.height());
}

class JpegSplitDecoding : public ::testing::Test {
  protected:
    std::string write(const std::string& bytes) {
        folder.write("picture.jpg", bytes);
        return folder.file("picture.jpg");
    }

    QImage inSegments(const std::string& path, QSize target, int segments, const Parallelism& parallelism) {
        const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        const std::optional<PictureDecoder::Result> result =
            JpegScaledDecoder::decodeInSegments(descriptor, target, parallelism, segments);
        ::close(descriptor);
        if (!result)
            return {};
        EXPECT_EQ(result->storedSize, pictureSize);
        return result->image;
    }

    QImage inSegments(const std::string& path, QSize target, int segments) {
        return inSegments(path, target, segments, threads.parallelism());
    }

    test::ThreadedParallelism threads{4};
    TemporaryFolder folder;
};

class JpegSplitLayout : public JpegSplitDecoding, public ::testing::WithParamInterface<JpegLayout> {};

// Eighths 1 (DC only), 2, 3 and 8 (the whole block), each then folded to the target.
TEST_P(JpegSplitLayout, DecodesAboutAsTheLibrary) {
    const std::string path = write(encoded(photo(), GetParam()));
    for (const QSize bound : {QSize(110, 110), QSize(250, 250), QSize(370, 370), QSize(900, 900)}) {
        const QSize target = test::fitted(pictureSize, bound);
        const QImage image = inSegments(path, target, 3);
        EXPECT_EQ(image.size(), target);
        // Measured against the whole picture scaled smoothly, the reduced transforms
        // stay about as close as the library's own scaled read does.
        const QImage truth = test::smoothlyScaledFullRead(path, bound);
        const QImage library = test::readerScaledRead(path, bound);
        ASSERT_FALSE(truth.isNull());
        EXPECT_LE(meanDifference(image, truth), 1.25 * meanDifference(library, truth) + 0.5)
            << target.width();
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, JpegSplitLayout, test::everySplitLayout(), test::layoutName);

// Segments that cannot get memory, or fail on their threads, leave the picture to the
// library, which decodes it as it decodes a picture too small to split.
TEST_F(JpegSplitDecoding, FallsBackToTheLibraryWhenTheSegmentsFail) {
    const std::string path = write(encoded(photo(), {"colour420", 3, 2, 2}));
    const QSize target = test::fitted(pictureSize, QSize(250, 250));
    Parallelism noMemory = threads.parallelism();
    noMemory.forEach = [](std::size_t, const std::function<void(std::size_t)>&) { throw std::bad_alloc(); };
    const QImage fallenBack = inSegments(path, target, 3, noMemory);
    ASSERT_EQ(fallenBack.size(), target);
    EXPECT_TRUE(fallenBack == inSegments(path, target, 0, Parallelism{}));
}

// Restart markers, and what is not baseline, are left to the library's own decoder.
TEST_F(JpegSplitDecoding, LeavesRestartMarkersToTheLibrary) {
    const std::string path = write(encoded(photo(), {"restarts", 3, 2, 2, 4}));
    const QSize target = test::fitted(pictureSize, QSize(250, 250));
    const QImage image = inSegments(path, target, 3);
    test::expectClose(image, test::readerScaledRead(path, QSize(250, 250)), 12, 0.6);
}

} // namespace
} // namespace vistrel
