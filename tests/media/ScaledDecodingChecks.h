#pragma once

// What the streaming decoders' tests compare against: the general image reader's own
// scaled read of the same file, as the picture decoder did it before.

#include "media/pictures/PictureDecoder.h"
#include "codec/work/Parallelism.h"

#include "ThreadedParallelism.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace vistrel::test {

inline QSize fitted(QSize stored, QSize bound) {
    return stored.scaled(bound, Qt::KeepAspectRatio);
}

// Folding beside decoding on a second thread (and a large JPEG split over it).
inline Parallelism onTwoThreads() {
    static ThreadedParallelism threads(2);
    return threads.parallelism();
}

using StreamingDecoder = std::optional<PictureDecoder::Result> (*)(int, QSize, const Parallelism&);

// `decoder` run on the file at `path`, as the picture decoder runs it.
inline std::optional<PictureDecoder::Result> decodeFile(StreamingDecoder decoder, const std::string& path,
                                                        QSize target, const Parallelism& parallelism) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::optional<PictureDecoder::Result> result = decoder(descriptor, target, parallelism);
    ::close(descriptor);
    return result;
}

inline QImage readerScaledRead(const std::string& path, QSize bound) {
    PictureDecoder::applyAllocationLimit();
    QImageReader reader(QFile::decodeName(QByteArray::fromStdString(path)));
    reader.setAutoTransform(false);
    reader.setScaledSize(fitted(reader.size(), bound));
    QImage image = reader.read();
    PictureDecoder::convertToSrgb(image);
    return image;
}

// The whole picture read by the general reader, made 32-bit and then smoothly scaled.
// What its own scaled read of a PNG should give, but does not quite: that averages
// colours without weighing them by alpha, and keeps 1-bit pictures at 1 bit.
inline QImage smoothlyScaledFullRead(const std::string& path, QSize bound) {
    PictureDecoder::applyAllocationLimit();
    QImageReader reader(QFile::decodeName(QByteArray::fromStdString(path)));
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull())
        return image;
    image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    image = image.scaled(fitted(image.size(), bound), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    PictureDecoder::convertToSrgb(image);
    return image;
}

// Both scale by averaging areas, with different weights and rounding: pixels may
// differ by a few levels where the picture changes sharply, little on average.
inline void expectClose(const QImage& actual, const QImage& expected, int largest = 12, double mean = 1.5) {
    ASSERT_EQ(actual.size(), expected.size());
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage b = expected.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int worst = 0;
    double total = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* rowA = a.constScanLine(y);
        const uchar* rowB = b.constScanLine(y);
        for (int i = 0; i < a.width() * 4; ++i) {
            const int difference = std::abs(int(rowA[i]) - int(rowB[i]));
            worst = std::max(worst, difference);
            total += difference;
        }
    }
    const double average = total / (double(a.width()) * a.height() * 4);
    EXPECT_LE(worst, largest);
    EXPECT_LE(average, mean);
    if (std::getenv("VISTREL_PRINT_DIFFERENCES"))
        std::printf("largest difference %d, mean %.3f\n", worst, average);
}

} // namespace vistrel::test
