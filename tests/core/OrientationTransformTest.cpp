#include "core/view/OrientationTransform.h"

#include <array>
#include <gtest/gtest.h>

using vistrel::OrientationTransform;
using vistrel::Point;
using vistrel::Size;

namespace {

enum Corner { TopLeft, TopRight, BottomLeft, BottomRight };

struct OrientationCase {
    int orientation;
    // Where the stored picture's top-left, top-right, bottom-left and bottom-right
    // corners must land when the picture is drawn upright.
    std::array<Corner, 4> lands;
};

Point cornerOf(Corner corner, Size size) {
    const bool right = corner == TopRight || corner == BottomRight;
    const bool bottom = corner == BottomLeft || corner == BottomRight;
    return Point{right ? size.width : 0.0f, bottom ? size.height : 0.0f};
}

class OrientationTransformTest : public ::testing::TestWithParam<OrientationCase> {};

TEST_P(OrientationTransformTest, StoredCornersLandOnTheUprightCornersOfTheTarget) {
    const OrientationCase c = GetParam();
    const Size stored{4.0f, 2.0f};
    const Size target = OrientationTransform::displayedSize(Size{40.0f, 20.0f}, c.orientation);
    const auto map = OrientationTransform::toTarget(c.orientation, stored, target);

    const std::array<Corner, 4> storedCorners{TopLeft, TopRight, BottomLeft, BottomRight};
    for (std::size_t i = 0; i < storedCorners.size(); ++i) {
        const Point landed = map.map(cornerOf(storedCorners[i], stored));
        const Point expected = cornerOf(c.lands[i], target);
        EXPECT_FLOAT_EQ(landed.x, expected.x) << "orientation " << c.orientation << ", corner " << i;
        EXPECT_FLOAT_EQ(landed.y, expected.y) << "orientation " << c.orientation << ", corner " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(AllExifOrientations, OrientationTransformTest,
                         ::testing::Values(OrientationCase{1, {TopLeft, TopRight, BottomLeft, BottomRight}},
                                           OrientationCase{2, {TopRight, TopLeft, BottomRight, BottomLeft}},
                                           OrientationCase{3, {BottomRight, BottomLeft, TopRight, TopLeft}},
                                           OrientationCase{4, {BottomLeft, BottomRight, TopLeft, TopRight}},
                                           OrientationCase{5, {TopLeft, BottomLeft, TopRight, BottomRight}},
                                           OrientationCase{6, {TopRight, BottomRight, TopLeft, BottomLeft}},
                                           OrientationCase{7, {BottomRight, TopRight, BottomLeft, TopLeft}},
                                           OrientationCase{8, {BottomLeft, TopLeft, BottomRight, TopRight}},
                                           // Numbers outside 1..8 draw as stored.
                                           OrientationCase{0, {TopLeft, TopRight, BottomLeft, BottomRight}},
                                           OrientationCase{9, {TopLeft, TopRight, BottomLeft, BottomRight}},
                                           OrientationCase{-6,
                                                           {TopLeft, TopRight, BottomLeft, BottomRight}}));

TEST(OrientationTransform, OnlyQuarterTurnsAndTranspositionsSwapTheAxes) {
    const Size stored{600.0f, 400.0f};
    for (int orientation : {1, 2, 3, 4, 0, 9})
        EXPECT_EQ(OrientationTransform::displayedSize(stored, orientation), stored) << orientation;
    for (int orientation : {5, 6, 7, 8})
        EXPECT_EQ(OrientationTransform::displayedSize(stored, orientation), (Size{400.0f, 600.0f}))
            << orientation;
}

TEST(OrientationTransform, EmptySourceCollapsesInsteadOfDividingByZero) {
    const auto map = OrientationTransform::toTarget(6, Size{0.0f, 0.0f}, Size{100.0f, 100.0f});
    const Point landed = map.map(Point{1.0f, 1.0f});
    EXPECT_EQ(landed, (Point{0.0f, 0.0f}));
}

} // namespace
