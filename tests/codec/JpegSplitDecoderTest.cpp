// Decoding a JPEG's one stream in several segments at once: the result must be exactly
// that of one decoder, for every layout of components and every scale, damaged data
// included, however the segments are spread over threads and in whatever order they
// run; and a segment or a fold that fails reaches the caller as an exception.

#include "codec/jpeg/JpegSplitDecoder.h"

#include "JpegLayouts.h"
#include "ThreadedParallelism.h"
#include "codec/io/DescriptorReader.h"
#include "codec/jpeg/JpegLibraryDecoder.h"
#include "codec/rows/RowPipeline.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace vistrel {
namespace {

constexpr int pictureWidth = 1001; // no whole number of MCUs either way
constexpr int pictureHeight = 757;
constexpr int bytesPerPixel = 4;

using test::JpegLayout;

// Boxes over a gradient with a little noise, as red, green and blue: detail to keep in
// place, and data enough for several segments.
std::vector<std::uint8_t> photo() {
    std::vector<std::uint8_t> pixels(std::size_t(pictureWidth) * pictureHeight * 3);
    std::minstd_rand random(11);
    for (int y = 0; y < pictureHeight; ++y)
        for (int x = 0; x < pictureWidth; ++x) {
            std::uint8_t* pixel = &pixels[(std::size_t(y) * pictureWidth + x) * 3];
            const int box = (x / 90 * 7 + y / 60 * 3) % 5;
            const bool inBox = box == 0 && x % 90 > 20 && y % 60 > 15;
            pixel[0] = std::uint8_t(inBox ? 230 : 40 + x / 6 + int(random() % 8));
            pixel[1] = std::uint8_t(inBox ? 60 + box * 30 : 60 + y / 5 + int(random() % 8));
            pixel[2] = std::uint8_t(inBox ? 90 : 200 - (x + y) / 12 + int(random() % 8));
        }
    return pixels;
}

// The picture written by libjpeg in `layout`, at quality 90.
std::string encoded(const JpegLayout& layout) {
    std::vector<std::uint8_t> pixels = photo();
    if (layout.components == 1)
        for (std::size_t i = 0; i < pixels.size() / 3; ++i)
            pixels[i] =
                std::uint8_t((pixels[3 * i] * 77 + pixels[3 * i + 1] * 150 + pixels[3 * i + 2] * 29) >> 8);
    return test::encodedJpeg(pixels.data(), pictureWidth, pictureHeight,
                             std::size_t(pictureWidth) * std::size_t(layout.components), layout);
}

struct Rows {
    int width = 0;
    std::vector<std::uint8_t> bytes; // blue, green, red, 255

    bool operator==(const Rows&) const = default;
    const std::uint8_t* pixel(int x, int y) const {
        return &bytes[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * bytesPerPixel];
    }
};

// Runs the segments one after another, the last first: each meets the next one's marks.
Parallelism lastFirst() {
    Parallelism parallelism;
    parallelism.forEach = [](std::size_t count, const std::function<void(std::size_t)>& body) {
        for (std::size_t index = count; index-- > 0;)
            body(index);
    };
    return parallelism;
}

class JpegSplitDecoding : public ::testing::Test {
  protected:
    // The file's scan, as the header walk reads it from a file of these bytes.
    void open(std::string bytes) {
        file = std::move(bytes);
        const int descriptor = ::memfd_create("split-decoding", 0);
        ASSERT_GE(descriptor, 0);
        ASSERT_EQ(::write(descriptor, file.data(), file.size()), ssize_t(file.size()));
        DescriptorReader reader(descriptor);
        JpegLibraryDecoder library(reader, {});
        ASSERT_TRUE(library.readHeader());
        scan = library.scan(file.size());
        ::close(descriptor);
        ASSERT_TRUE(scan.has_value());
    }

    JpegBitReader::FileRead read() const {
        return [this](std::uint64_t offset, std::uint8_t* into, std::size_t count) -> std::size_t {
            if (offset >= file.size())
                return 0;
            const std::size_t copied = std::min<std::size_t>(count, file.size() - std::size_t(offset));
            std::memcpy(into, file.data() + offset, copied);
            return copied;
        };
    }

    Rows decoded(int eighths, int segments, const Parallelism& parallelism,
                 const Parallelism& folding = Parallelism{}) const {
        Rows rows{JpegSplitDecoder::scaledSide(scan->width, eighths), {}};
        const std::size_t rowBytes = std::size_t(rows.width) * bytesPerPixel;
        RowPipeline pipeline(
            rowBytes, 16,
            [&rows, rowBytes](std::uint8_t* row) {
                rows.bytes.insert(rows.bytes.end(), row, row + rowBytes);
            },
            folding);
        JpegSplitDecoder::decode(*scan, eighths, read(), segments, parallelism, pipeline);
        EXPECT_EQ(rows.bytes.size(),
                  rowBytes * std::size_t(JpegSplitDecoder::scaledSide(scan->height, eighths)));
        return rows;
    }

    // One decoder's rows, and the same from two, three and four on threads, and from
    // three run last first on one.
    Rows sameInEverySplit(int eighths) {
        const Rows whole = decoded(eighths, 1, Parallelism{});
        for (int segments = 2; segments <= 4; ++segments)
            EXPECT_TRUE(decoded(eighths, segments, threads.parallelism(), threads.parallelism()) == whole)
                << segments << " segments at " << eighths << " eighths";
        EXPECT_TRUE(decoded(eighths, 3, lastFirst()) == whole) << "last first at " << eighths << " eighths";
        return whole;
    }

    std::string file;
    std::optional<JpegScan> scan;
    test::ThreadedParallelism threads{4};
};

class JpegSplitLayout : public JpegSplitDecoding, public ::testing::WithParamInterface<JpegLayout> {};

// Eighths 1 (DC only), 2, 3, and the whole block where the layout allows it.
TEST_P(JpegSplitLayout, DecodesAsOneDecoderInEverySplit) {
    open(encoded(GetParam()));
    for (const int eighths : {1, 2, 3, 8})
        if (JpegSplitDecoder::supports(*scan, eighths))
            sameInEverySplit(eighths);
}

INSTANTIATE_TEST_SUITE_P(Layouts, JpegSplitLayout, test::everySplitLayout(), test::layoutName);

// Damage must decode the same however the data is split, and never outside the picture.
TEST_F(JpegSplitDecoding, DecodesDamagedDataAsOneDecoderDoes) {
    const std::string whole = encoded({"colour420", 3, 2, 2});
    constexpr int eighths = 2;

    open(whole);
    const Rows full = decoded(eighths, 1, Parallelism{});
    open(whole.substr(0, whole.size() * 2 / 3));
    const Rows cut = sameInEverySplit(eighths);
    // What was cut off is flat gray; what remains is the picture.
    const int bottom = JpegSplitDecoder::scaledSide(pictureHeight, eighths) - 2;
    EXPECT_EQ(std::vector<std::uint8_t>(cut.pixel(5, bottom), cut.pixel(6, bottom)),
              (std::vector<std::uint8_t>{128, 128, 128, 255}));
    EXPECT_EQ(std::memcmp(cut.pixel(5, 5), full.pixel(5, 5), bytesPerPixel), 0);

    std::string scrambled = whole;
    std::minstd_rand random(5);
    for (std::size_t at = scrambled.size() / 3; at < scrambled.size() / 2; at += 97)
        scrambled[at] = char(random());
    open(scrambled);
    sameInEverySplit(eighths);

    std::string marked = whole; // a marker in the middle ends the data there
    marked[marked.size() / 2] = char(0xFF);
    marked[marked.size() / 2 + 1] = char(0xD0);
    open(marked);
    sameInEverySplit(eighths);
}

// Whatever a segment or the fold throws, on whichever thread, reaches the caller; a
// decode whose segments failed hands no rows on.
TEST_F(JpegSplitDecoding, HandsOnWhatASegmentOrTheFoldThrew) {
    open(encoded({"colour420", 3, 2, 2}));
    Parallelism noMemory;
    noMemory.forEach = [](std::size_t, const std::function<void(std::size_t)>&) { throw std::bad_alloc(); };
    EXPECT_THROW(decoded(2, 3, noMemory), std::bad_alloc);

    const Parallelism onThreads = threads.parallelism();
    Parallelism lastSegmentFails = onThreads;
    lastSegmentFails.forEach = [&onThreads](std::size_t count, const std::function<void(std::size_t)>& body) {
        onThreads.forEach(count, [&](std::size_t index) {
            if (index + 1 == count)
                throw std::bad_alloc();
            body(index);
        });
    };
    bool handedOn = false;
    RowPipeline unused(
        bytesPerPixel, 1, [&handedOn](std::uint8_t*) { handedOn = true; }, Parallelism{});
    EXPECT_THROW(JpegSplitDecoder::decode(*scan, 2, read(), 3, lastSegmentFails, unused), std::bad_alloc);
    unused.finish();
    EXPECT_FALSE(handedOn);

    int folded = 0;
    RowPipeline failing(
        bytesPerPixel, 2,
        [&folded](std::uint8_t*) {
            if (++folded == 3)
                throw std::runtime_error("no room for the sums");
        },
        onThreads);
    EXPECT_THROW(
        {
            for (int batch = 0; batch < 10; ++batch) {
                failing.batch();
                failing.submit(2);
            }
            failing.finish();
        },
        std::runtime_error);
}

// A picture nobody wants any more stops decoding: in its segments, or at the next rows.
TEST_F(JpegSplitDecoding, StopsOnceAbandoned) {
    open(encoded({"colour420", 3, 2, 2}));
    std::atomic<int> asked{0};
    Parallelism abandonedAtOnce = threads.parallelism();
    abandonedAtOnce.abandoned = [&asked] { return ++asked > 0; };
    EXPECT_THROW(decoded(8, 3, abandonedAtOnce), DecodeAbandoned);

    Parallelism abandonedLater;
    abandonedLater.abandoned = [&asked] { return ++asked > 2; };
    asked = 0;
    RowPipeline rows(
        bytesPerPixel, 1, [](std::uint8_t*) {}, abandonedLater);
    rows.batch();
    rows.submit(1);
    rows.batch();
    EXPECT_THROW(rows.batch(), DecodeAbandoned);
}

} // namespace
} // namespace vistrel
