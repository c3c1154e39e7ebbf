#include "core/playlist/DividerDrag.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

using Frame = DividerDrag::Frame;
using Frames = DividerDrag::Frames;

// A window 300 high: text 50 high at the bottom (y 10), a 9-high handle above it,
// the table 100 high above that; its top lies at 169, 131 below the window's top.
Frames standardPanes() {
    return {Frame{0, 60, 200, 9}, Frame{0, 69, 200, 100}, Frame{0, 10, 200, 50}};
}

class DividerDragTest : public ::testing::Test {
  protected:
    Frames drag(std::initializer_list<float> pointer, float window = 300) {
        Frames frames;
        for (const float y : pointer)
            frames = divider.dragTo(y, window);
        return frames;
    }
    DividerDrag divider;
};

TEST_F(DividerDragTest, TheFirstEventOnlySetsTheReferenceAndTheGapIsMeasuredOnce) {
    EXPECT_EQ(divider.tableViewDistance(), DividerDrag::unmeasured);
    divider.press(standardPanes(), 300);
    EXPECT_EQ(divider.tableViewDistance(), 131);
    EXPECT_EQ(drag({64}), standardPanes());
    divider.release();
    divider.press(standardPanes(), 500); // a later press measures nothing anew
    EXPECT_EQ(divider.tableViewDistance(), 131);
}

TEST_F(DividerDragTest, MovesTheBoundaryAndKeepsTheOuterEdges) {
    divider.press(standardPanes(), 300);
    const Frames frames = drag({64, 84}); // 20 up
    EXPECT_EQ(frames.upper, (Frame{0, 89, 200, 80}));
    EXPECT_EQ(frames.lower, (Frame{0, 10, 200, 70}));
    EXPECT_EQ(frames.handle.y, 80);
    EXPECT_EQ(frames.upper.top(), 169);
}

TEST_F(DividerDragTest, AMoveBeyondALimitIsDroppedAndMovingBackActsAtOnce) {
    divider.press(standardPanes(), 300);
    const Frames refused = drag({64, 154}); // the table would be 10 high
    EXPECT_EQ(refused.upper.height, 100);
    EXPECT_EQ(refused.lower.height, 50);
    const Frames back = drag({144}); // 10 down from the refused event
    EXPECT_EQ(back.upper.height, 110);
    EXPECT_EQ(back.lower.height, 40);
}

TEST_F(DividerDragTest, SixteenIsAllowedBelowIsRefused) {
    divider.press(standardPanes(), 300);
    EXPECT_EQ(drag({64, 30}).lower.height, 16); // 34 down: text 50 -> 16
    divider.release();
    divider.press(standardPanes(), 300);
    EXPECT_EQ(drag({64, 29.9f}).lower.height, 50); // 15.9 would remain
}

TEST_F(DividerDragTest, TheTableTopStaysTheMeasuredGapBelowTheWindowTop) {
    // Before any drag the gap is -1: a top one unit above the window is still left alone.
    EXPECT_EQ(divider.keptInside(Frame{0, 69, 200, 232}, 300).height, 232);
    EXPECT_EQ(divider.keptInside(Frame{0, 69, 200, 233}, 300).height, 232);

    divider.press(standardPanes(), 300);
    divider.release();
    // The window shrank to 250: the top edge comes down to 250 - 131.
    EXPECT_EQ(divider.keptInside(Frame{0, 69, 200, 100}, 250).top(), 119);
    divider.press(standardPanes(), 250);
    EXPECT_EQ(drag({64}, 250).upper.top(), 119);
}

} // namespace
} // namespace vistrel
