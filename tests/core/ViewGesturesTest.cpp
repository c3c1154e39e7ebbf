#include "core/view/ViewGestures.h"

#include "core/view/ViewGeometry.h"

#include <gtest/gtest.h>
#include <vector>

using vistrel::Point;
using vistrel::Size;
using vistrel::ViewGestures;

namespace {

// Stores what it is given, like the controller; records every call.
class RecordingGeometry : public vistrel::ViewGeometry {
  public:
    struct PosCall {
        float x, y, previousX, previousY;
    };

    float scaleX() const override { return m_scaleX; }
    float scaleY() const override { return m_scaleY; }
    float posX() const override { return m_posX; }
    float posY() const override { return m_posY; }
    void setScaleX(float value) override {
        m_scaleX = value;
        scaleXCalls.push_back(value);
    }
    void setScaleY(float value) override {
        m_scaleY = value;
        scaleYCalls.push_back(value);
    }
    void setPosXY(float x, float y) override {
        posCalls.push_back({x, y, m_posX, m_posY});
        m_posX = x;
        m_posY = y;
    }
    std::size_t callCount() const { return posCalls.size() + scaleXCalls.size() + scaleYCalls.size(); }

    float m_scaleX = 1.0f;
    float m_scaleY = 1.0f;
    float m_posX = 0.0f;
    float m_posY = 0.0f;
    std::vector<PosCall> posCalls;
    std::vector<float> scaleXCalls;
    std::vector<float> scaleYCalls;
};

class ViewGesturesTest : public ::testing::Test {
  protected:
    RecordingGeometry geometry;
    ViewGestures gestures;
};

TEST_F(ViewGesturesTest, PlainDragMeasuresEveryEventFromTheFirstTrackedPoint) {
    gestures.beginDrag(Size{400.0f, 300.0f});
    for (float dx : {0.0f, 10.0f, 20.0f, 30.0f})
        gestures.dragTo(Point{100.0f + dx, 100.0f}, false, geometry);

    ASSERT_EQ(geometry.posCalls.size(), 4u);
    const float expected[] = {0.0f, 0.025f, 0.05f, 0.075f};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(geometry.posCalls[i].x - geometry.posCalls[i].previousX, expected[i]) << i;
        EXPECT_EQ(geometry.posCalls[i].y, geometry.posCalls[i].previousY) << i;
    }
}

TEST_F(ViewGesturesTest, ShiftDragScalesFromThePreviousEvent) {
    gestures.beginDrag(Size{400.0f, 300.0f});
    gestures.dragTo(Point{100.0f, 100.0f}, true, geometry);
    gestures.dragTo(Point{110.0f, 100.0f}, true, geometry);
    gestures.dragTo(Point{120.0f, 100.0f}, true, geometry);

    ASSERT_EQ(geometry.scaleXCalls.size(), 3u);
    EXPECT_EQ(geometry.scaleXCalls[0], 1.0f);
    EXPECT_FLOAT_EQ(geometry.scaleXCalls[1], 1.025f);
    EXPECT_FLOAT_EQ(geometry.scaleXCalls[2], 1.050625f);
    EXPECT_TRUE(geometry.posCalls.empty());
}

TEST_F(ViewGesturesTest, ShiftEventMovesTheReferenceForLaterPlainEvents) {
    gestures.beginDrag(Size{400.0f, 300.0f});
    gestures.dragTo(Point{100.0f, 100.0f}, false, geometry);
    gestures.dragTo(Point{140.0f, 100.0f}, true, geometry);
    gestures.dragTo(Point{160.0f, 100.0f}, false, geometry);

    ASSERT_EQ(geometry.posCalls.size(), 2u);
    EXPECT_FLOAT_EQ(geometry.posCalls[1].x, 0.05f); // 20 from the Shift event's point, not 60
    EXPECT_FLOAT_EQ(geometry.m_scaleX, 1.1f);
}

TEST_F(ViewGesturesTest, NoDragEventsOrEventsAfterTheReleaseChangeNothing) {
    gestures.beginDrag(Size{400.0f, 300.0f});
    gestures.endDrag();
    gestures.dragTo(Point{10.0f, 40.0f}, false, geometry);
    gestures.dragTo(Point{30.0f, 40.0f}, true, geometry);
    EXPECT_EQ(geometry.callCount(), 0u);
    EXPECT_FALSE(gestures.isDragging());
}

TEST(ViewGesturesStrip, PressesBelow32BelongToTheControlBar) {
    EXPECT_TRUE(ViewGestures::isInControlStrip(Point{10.0f, 31.9f}));
    EXPECT_FALSE(ViewGestures::isInControlStrip(Point{10.0f, 32.0f}));
}

struct WheelCase {
    float deltaX;
    float deltaY;
    double factor;
};

class WheelTest : public ::testing::TestWithParam<WheelCase> {};

TEST_P(WheelTest, HorizontalDeltaIsTestedFirst) {
    const WheelCase c = GetParam();
    EXPECT_EQ(ViewGestures::wheelFactor(c.deltaX, c.deltaY), c.factor);
}

INSTANTIATE_TEST_SUITE_P(Deltas, WheelTest,
                         ::testing::Values(WheelCase{0.0f, 0.0f, 0.9}, WheelCase{1.0f, -3.0f, 1.1},
                                           WheelCase{0.0f, 120.0f, 1.1}, WheelCase{-120.0f, 120.0f, 1.1},
                                           WheelCase{0.0f, -120.0f, 0.9}, WheelCase{-1.0f, -1.0f, 0.9}));

TEST(ViewGesturesWheel, AltChangesTheVerticalStretchOnceOnly) {
    RecordingGeometry geometry;
    geometry.m_scaleY = 2.0f;
    ViewGestures::wheel(0.0f, 120.0f, true, geometry);
    ASSERT_EQ(geometry.scaleYCalls.size(), 1u);
    EXPECT_EQ(geometry.scaleYCalls[0], static_cast<float>(2.0 * 1.1));
    EXPECT_TRUE(geometry.scaleXCalls.empty());

    ViewGestures::wheel(0.0f, -120.0f, false, geometry);
    ASSERT_EQ(geometry.scaleXCalls.size(), 1u);
    EXPECT_EQ(geometry.scaleXCalls[0], static_cast<float>(0.9));
}

} // namespace
