#include "core/overlay/OverlayFade.h"

#include "FakeScheduler.h"
#include "core/overlay/OverlaySurface.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

using vistrel::OverlayFade;

namespace {

class FakeSurface : public vistrel::OverlaySurface {
  public:
    void setText(const std::string& value) override { text = value; }
    void setOpacity(float value) override { opacity = value; }
    void orderFront() override { inFront = true; }
    void orderOut() override { inFront = false; }
    void display() override { ++displays; }

    std::string text;
    float opacity = 1.0f;
    bool inFront = false;
    int displays = 0;
};

class OverlayFadeTest : public ::testing::Test {
  protected:
    // Advances the clock by `ticks` fade ticks of a fade started with `duration`.
    void tick(int ticks, double duration = 1.0) {
        for (int i = 0; i < ticks; ++i)
            scheduler.advance(duration * 0.02);
    }

    vistrel::test::FakeScheduler scheduler;
    FakeSurface surface;
    OverlayFade fade{scheduler, surface};
};

TEST_F(OverlayFadeTest, FadeIntervalIsAFiftiethOfTheDuration) {
    fade.showText("a", 4.0);
    tick(1, 4.0);
    EXPECT_FLOAT_EQ(surface.opacity, 0.49f);
    scheduler.advance(0.079);
    EXPECT_FLOAT_EQ(surface.opacity, 0.49f);
}

TEST_F(OverlayFadeTest, HiddenByThe51stTickWithTheLastOpacityAndTextKept) {
    fade.showText("Rate: 110 %", 1.0);
    tick(50);
    EXPECT_TRUE(surface.inFront);
    EXPECT_GT(surface.opacity, 0.0f);
    EXPECT_NEAR(surface.opacity, 1.8e-7, 1e-7);

    const float lastOpacity = surface.opacity;
    tick(1);
    EXPECT_FALSE(surface.inFront);
    EXPECT_FALSE(fade.isShown());
    EXPECT_EQ(surface.opacity, lastOpacity);
    EXPECT_EQ(surface.text, "Rate: 110 %");
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    EXPECT_NEAR(scheduler.now(), 1.02, 1e-9);
}

TEST_F(OverlayFadeTest, SecondShowRestartsTheFadeWithItsOwnDuration) {
    fade.showText("first", 1.0);
    tick(30);
    fade.showText("second", 4.0);
    EXPECT_EQ(surface.text, "second");
    EXPECT_EQ(surface.opacity, 0.5f);
    ASSERT_EQ(scheduler.pendingCount(), 1u);

    tick(50, 4.0);
    EXPECT_TRUE(surface.inFront);
    tick(1, 4.0);
    EXPECT_FALSE(surface.inFront);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(OverlayFadeTest, ShowAfterHidingStartsAgainAtHalfOpacity) {
    fade.showText("a", 1.0);
    tick(51);
    fade.showPercent(62.5, "Volume: ", 1.0);
    EXPECT_TRUE(surface.inFront);
    EXPECT_EQ(surface.opacity, 0.5f);
    EXPECT_EQ(surface.text, "Volume: 62 %");
}

struct PercentCase {
    double percent;
    const char* text;
    const char* expected;
};

class PercentTextTest : public ::testing::TestWithParam<PercentCase> {};

TEST_P(PercentTextTest, TruncatesTowardZero) {
    const PercentCase c = GetParam();
    EXPECT_EQ(OverlayFade::percentText(c.percent, c.text), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, PercentTextTest,
    ::testing::Values(PercentCase{99.9, "", "99 %"}, PercentCase{-0.5, "", "0 %"},
                      PercentCase{-5.7, "", "-5 %"}, PercentCase{110.0000024, "Rate: ", "Rate: 110 %"},
                      PercentCase{88.99999, "Rate: ", "Rate: 88 %"},
                      // Values no int32 holds are pinned rather than undefined.
                      PercentCase{std::numeric_limits<double>::quiet_NaN(), "Position: ", "Position: 0 %"},
                      PercentCase{1e12, "", "2147483647 %"},
                      PercentCase{-std::numeric_limits<double>::infinity(), "", "-2147483648 %"}));

} // namespace
