#include "codec/rows/AreaDownscaler.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace vistrel {
namespace {

constexpr int channels = AreaDownscaler::channels;

struct Pixels {
    int width;
    int height;
    std::vector<std::uint8_t> bytes;

    std::uint8_t at(int x, int y, int c) const { return bytes[std::size_t((y * width + x) * channels + c)]; }
};

Pixels noise(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> sample(0, 255);
    Pixels pixels{width, height, std::vector<std::uint8_t>(std::size_t(width * height * channels))};
    for (std::uint8_t& byte : pixels.bytes)
        byte = std::uint8_t(sample(random));
    return pixels;
}

// Overlap of source pixel `i` with target pixel `t`, in units where a source pixel is
// `targetSide` wide and a target pixel `sourceSide` wide.
std::int64_t overlap(int i, int t, int sourceSide, int targetSide) {
    const std::int64_t begin = std::max<std::int64_t>(std::int64_t(i) * targetSide, std::int64_t(t) * sourceSide);
    const std::int64_t end =
        std::min<std::int64_t>(std::int64_t(i + 1) * targetSide, std::int64_t(t + 1) * sourceSide);
    return std::max<std::int64_t>(0, end - begin);
}

// Every source pixel against every target pixel, rounded half up.
Pixels reference(const Pixels& source, int width, int height) {
    Pixels target{width, height, std::vector<std::uint8_t>(std::size_t(width * height * channels))};
    const std::int64_t total = std::int64_t(source.width) * source.height;
    for (int ty = 0; ty < height; ++ty)
        for (int tx = 0; tx < width; ++tx)
            for (int c = 0; c < channels; ++c) {
                std::int64_t sum = 0;
                for (int y = 0; y < source.height; ++y)
                    for (int x = 0; x < source.width; ++x)
                        sum += source.at(x, y, c) * overlap(x, tx, source.width, width) *
                               overlap(y, ty, source.height, height);
                target.bytes[std::size_t((ty * width + tx) * channels + c)] =
                    std::uint8_t((2 * sum + total) / (2 * total));
            }
    return target;
}

Pixels downscaled(const Pixels& source, int width, int height) {
    Pixels target{width, height, std::vector<std::uint8_t>(std::size_t(width * height * channels), 0xAB)};
    AreaDownscaler downscaler(source.width, source.height, width, height, target.bytes.data(), width * channels);
    for (int y = 0; y < source.height; ++y)
        downscaler.addRow(source.bytes.data() + std::ptrdiff_t(y) * source.width * channels);
    EXPECT_EQ(downscaler.rowsWritten(), height);
    return target;
}

struct Ratio {
    int sourceWidth, sourceHeight, targetWidth, targetHeight;
};

void PrintTo(const Ratio& r, std::ostream* out) {
    *out << r.sourceWidth << 'x' << r.sourceHeight << "->" << r.targetWidth << 'x' << r.targetHeight;
}

class AreaDownscalerRatio : public ::testing::TestWithParam<Ratio> {};

TEST_P(AreaDownscalerRatio, MatchesTheExactAreaAverage) {
    const Ratio r = GetParam();
    const Pixels source = noise(r.sourceWidth, r.sourceHeight, unsigned(r.sourceWidth * 31 + r.targetHeight));
    const Pixels expected = reference(source, r.targetWidth, r.targetHeight);
    const Pixels actual = downscaled(source, r.targetWidth, r.targetHeight);
    ASSERT_EQ(actual.bytes.size(), expected.bytes.size());
    for (std::size_t i = 0; i < actual.bytes.size(); ++i)
        ASSERT_EQ(int(actual.bytes[i]), int(expected.bytes[i])) << "byte " << i;
}

// Whole, fractional and prime ratios, one axis kept, a single row or column; the last
// one's sides share no factor, so its sums need 64 bits.
INSTANTIATE_TEST_SUITE_P(Sizes, AreaDownscalerRatio,
                         ::testing::Values(Ratio{8, 8, 4, 4}, Ratio{9, 7, 4, 3}, Ratio{23, 17, 7, 5},
                                           Ratio{10, 6, 10, 4}, Ratio{25, 25, 8, 8}, Ratio{13, 11, 12, 10},
                                           Ratio{31, 1, 3, 1}, Ratio{1, 29, 1, 6}, Ratio{5, 5, 1, 1},
                                           Ratio{6, 4, 6, 4}, Ratio{4099, 2053, 2, 2}));

// A half-way average rounds up, and a flat area keeps its exact value.
TEST(AreaDownscaler, RoundsHalfUpAndKeepsFlatAreas) {
    Pixels source{2, 1, {0, 10, 255, 7, 1, 10, 255, 7}};
    std::vector<std::uint8_t> target(channels);
    AreaDownscaler downscaler(2, 1, 1, 1, target.data(), channels);
    downscaler.addRow(source.bytes.data());
    EXPECT_EQ(target, (std::vector<std::uint8_t>{1, 10, 255, 7}));
}

TEST(AreaDownscaler, IgnoresRowsBeyondTheSourceAndWritesRowsAsTheyComplete) {
    const Pixels source = noise(4, 4, 3);
    std::vector<std::uint8_t> target(2 * 2 * channels);
    AreaDownscaler downscaler(4, 4, 2, 2, target.data(), 2 * channels);
    downscaler.addRow(source.bytes.data());
    EXPECT_EQ(downscaler.rowsWritten(), 0);
    downscaler.addRow(source.bytes.data() + 4 * channels);
    EXPECT_EQ(downscaler.rowsWritten(), 1);
    for (int y = 2; y < 6; ++y)
        downscaler.addRow(source.bytes.data() + std::min(y, 3) * 4 * channels);
    EXPECT_EQ(downscaler.rowsAdded(), 4);
    EXPECT_EQ(downscaler.rowsWritten(), 2);
}

// Three-byte red, green, blue rows fold as their blue, green, red, opaque expansion.
TEST(AreaDownscaler, FoldsRedGreenBlueRowsAsOpaqueBlueGreenRed) {
    const Pixels expanded = noise(23, 9, 5);
    std::vector<std::uint8_t> packed;
    for (std::size_t i = 0; i < expanded.bytes.size(); i += channels)
        packed.insert(packed.end(), {expanded.bytes[i + 2], expanded.bytes[i + 1], expanded.bytes[i]});
    Pixels opaque = expanded;
    for (std::size_t i = 3; i < opaque.bytes.size(); i += channels)
        opaque.bytes[i] = 255;
    std::vector<std::uint8_t> target(7 * 4 * channels);
    AreaDownscaler downscaler(23, 9, 7, 4, target.data(), 7 * channels, AreaDownscaler::SourceLayout::redGreenBlue);
    for (int y = 0; y < 9; ++y)
        downscaler.addRow(packed.data() + y * 23 * 3);
    EXPECT_EQ(target, reference(opaque, 7, 4).bytes);
}

TEST(AreaDownscaler, RefusesEnlargingAndEmptySides) {
    EXPECT_FALSE(AreaDownscaler::supports(10, 10, 11, 5));
    EXPECT_FALSE(AreaDownscaler::supports(10, 10, 0, 5));
    EXPECT_TRUE(AreaDownscaler::supports(12000, 8000, 1920, 1280));
    // Prime sides cannot share units: their sums would overflow.
    EXPECT_FALSE(AreaDownscaler::supports(2147483647, 2147483629, 2, 2));
}

} // namespace
} // namespace vistrel
