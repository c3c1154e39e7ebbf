#include "ControllerFixture.h"

namespace vistrel::test {
namespace {

// An animated picture on the controller's fakes: frames are counted as the view gets them.
class PictureAnimationPlay : public ControllerFixture {
  protected:
    void SetUp() override {
        pictures.types.push_back("gif");
        start();
    }
    void show(const std::string& path, AnimationScript script) {
        addPicture(path, script.size);
        pictures.animations[path] = std::move(script);
        setList({path, "/p/still.jpg"}, 0);
        addPicture("/p/still.jpg");
        controller->playIt();
    }
};

TEST_F(PictureAnimationPlay, FramesFollowTheFilesDelaysWithTheFloorAndLoopForEver) {
    show("/p/a.gif", {{50, 0, 200}, {}, {}});
    ASSERT_EQ(view.picturesSet, 1);
    scheduler.advance(0.049);
    EXPECT_EQ(view.picturesSet, 1);
    scheduler.advance(0.001);
    EXPECT_EQ(view.picturesSet, 2);
    scheduler.advance(0.099); // a zero delay lasts 100 ms
    EXPECT_EQ(view.picturesSet, 2);
    scheduler.advance(0.001);
    EXPECT_EQ(view.picturesSet, 3);
    scheduler.advance(0.2 + 0.05 * 1000); // round and round
    EXPECT_GT(view.picturesSet, 3 + 1000 / 7);
    EXPECT_LE(*pictures.framesDecoded, std::size_t(view.picturesSet) + PictureAnimation::framesAhead);
}

TEST_F(PictureAnimationPlay, TheNumberOfPlaysIsHonouredAndPauseHoldsTheFrame) {
    show("/p/a.gif", {{100, 100}, {}, 2});
    scheduler.advance(0.1);
    EXPECT_EQ(view.picturesSet, 2);
    controller->stopCont();
    scheduler.advance(1.0);
    EXPECT_EQ(view.picturesSet, 2);
    controller->stopCont();
    scheduler.advance(0.1 * 2);
    EXPECT_EQ(view.picturesSet, 4); // the second play's two frames
    scheduler.advance(1.0);
    EXPECT_EQ(view.picturesSet, 4);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(PictureAnimationPlay, ADamagedFrameEndsOnTheLastGoodOne) {
    show("/p/a.gif", {{100, 100, 100, 100}, 2, {}});
    scheduler.advance(1.0);
    EXPECT_EQ(view.picturesSet, 2);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(PictureAnimationPlay, TheSlideShowAdvancesAfterItsIntervalAndEndsTheAnimation) {
    show("/p/a.gif", {{100, 100}, {}, {}});
    controller->setLoopMode();
    scheduler.advance(4.95);
    EXPECT_EQ(view.picture->sourcePath(), "");
    scheduler.advance(0.05);
    EXPECT_EQ(view.picture->sourcePath(), "/p/still.jpg");
    const int picturesSet = view.picturesSet;
    scheduler.advance(0.5);
    EXPECT_EQ(view.picturesSet, picturesSet);
}

} // namespace
} // namespace vistrel::test
