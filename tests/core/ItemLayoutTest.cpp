#include "core/geometry/ItemLayout.h"

#include <cctype>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace vistrel {
namespace {

struct LayoutCase {
    const char* name;
    Size natural;
    Size screen;
    GeometryValues values;
    Rect expected;
};

std::ostream& operator<<(std::ostream& out, const LayoutCase& c) {
    return out << c.name;
}

class ItemLayoutCases : public ::testing::TestWithParam<LayoutCase> {};

// Exact to the last bit: the placement arithmetic mixes 32- and 64-bit steps on purpose.
TEST_P(ItemLayoutCases, PlacesTheItemExactly) {
    const LayoutCase& c = GetParam();
    Rect frame;
    ASSERT_TRUE(layoutItem(c.natural, c.screen, c.values, frame));
    EXPECT_EQ(frame.x, c.expected.x);
    EXPECT_EQ(frame.y, c.expected.y);
    EXPECT_EQ(frame.width, c.expected.width);
    EXPECT_EQ(frame.height, c.expected.height);
}

std::string caseName(const ::testing::TestParamInfo<LayoutCase>& tested) {
    std::string name = tested.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
}

constexpr Size vga{640.0f, 480.0f};
constexpr Size laptop{1280.0f, 800.0f};

INSTANTIATE_TEST_SUITE_P(
    Geometry, ItemLayoutCases,
    ::testing::Values(
        LayoutCase{"fitted", vga, laptop, {1.0f, 1.0f, 0.0f, 0.0f}, {106.66669f, 0.0f, 1066.6666f, 800.0f}},
        LayoutCase{
            "doubled", vga, laptop, {2.0f, 1.0f, 0.0f, 0.0f}, {-426.66663f, -400.0f, 2133.3333f, 1600.0f}},
        LayoutCase{
            "stretched", vga, laptop, {1.0f, 2.0f, 0.0f, 0.0f}, {106.66669f, -400.0f, 1066.6666f, 1600.0f}},
        LayoutCase{"right edge", vga, laptop, {1.0f, 1.0f, 1.0f, 0.0f}, {1280.0f, 0.0f, 1066.6666f, 800.0f}},
        LayoutCase{
            "left edge", vga, laptop, {1.0f, 1.0f, -1.0f, 0.0f}, {-1066.6666f, 0.0f, 1066.6666f, 800.0f}},
        LayoutCase{
            "half right, up", vga, laptop, {1.0f, 1.0f, 0.5f, 1.0f}, {693.3334f, 800.0f, 1066.6666f, 800.0f}},
        LayoutCase{"tall item",
                   {480.0f, 640.0f},
                   laptop,
                   {1.0f, 1.0f, 0.0f, -0.5f},
                   {340.0f, -400.0f, 600.0f, 800.0f}}),
    caseName);

TEST(ItemLayout, RefusesItemsWithoutAnArea) {
    Rect frame{1.0f, 2.0f, 3.0f, 4.0f};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (Size natural :
         {Size{0.0f, 0.0f}, Size{640.0f, 0.0f}, Size{-1.0f, 480.0f}, Size{nan, 480.0f}, Size{640.0f, inf}})
        EXPECT_FALSE(layoutItem(natural, laptop, {}, frame));
    EXPECT_EQ(frame, (Rect{1.0f, 2.0f, 3.0f, 4.0f}));
}

TEST(ItemLayout, StepsRoundEachResultTo32Bits) {
    float pos = 0.0f;
    for (int i = 0; i < 50; ++i)
        pos = addStep(pos, 0.02);
    EXPECT_NEAR(pos, 1.0f, 1e-5f);
    EXPECT_NE(pos, 1.0f);

    const float scaled = multiplyStep(multiplyStep(1.0f, 1.1), 0.9);
    EXPECT_NEAR(scaled, 0.99f, 1e-6f);
    EXPECT_EQ(scaled, static_cast<float>(static_cast<double>(1.1f) * 0.9));
}

} // namespace
} // namespace vistrel
