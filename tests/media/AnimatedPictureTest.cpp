#include "media/pictures/QtPictureService.h"

#include "FakeBackgroundWork.h"
#include "FakePictureService.h"
#include "FakePictureView.h"
#include "FakeScheduler.h"
#include "MediaFixtures.h"
#include "core/show/PictureAnimation.h"
#include "media/pictures/QtPicture.h"
#include "media/sandbox/HelperPictureService.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace vistrel {
namespace {

using test::MediaFixtures;

QRgb centreOf(const Picture& picture) {
    const QImage& image = dynamic_cast<const QtPicture&>(picture).image();
    return image.pixel(image.width() / 2, image.height() / 2);
}

// The frames decoded here, or behind the wall in the decoder helper.
std::unique_ptr<PictureService> serviceDecoding(bool behindTheWall) {
    if (!behindTheWall)
        return std::make_unique<QtPictureService>();
    return std::make_unique<HelperPictureService>(DecoderHelper::start(QStringLiteral(VISTREL_DECODER_PROGRAM)),
                                                  std::make_unique<QtPictureService>());
}

// Red, then blue at the centre, a quarter of a second each, for ever; the last
// announces far more frames than it holds.
class TwoColourAnimation : public ::testing::TestWithParam<std::tuple<const char*, bool>> {};

TEST_P(TwoColourAnimation, TellsItMovesAndPlaysItsFramesRoundAndRound) {
    const std::unique_ptr<PictureService> decoding = serviceDecoding(std::get<1>(GetParam()));
    PictureService& service = *decoding;
    const std::string path = MediaFixtures::get().file(std::get<0>(GetParam()));
    EXPECT_TRUE(service.decodeFirstImage(path, Size{1920, 1920}).animated);

    const std::unique_ptr<AnimationFrames> frames = service.openAnimation(path, Size{1920, 1920});
    ASSERT_TRUE(frames);
    EXPECT_FALSE(frames->plays());
    std::vector<QRgb> colours;
    for (int round = 0; round < 2; ++round) {
        for (AnimationStep step = frames->next(); step.kind == AnimationStep::Kind::frame; step = frames->next()) {
            EXPECT_EQ(step.delayMilliseconds, 250);
            EXPECT_TRUE(step.picture->holdsEveryStoredPixel());
            colours.push_back(centreOf(*step.picture));
        }
        ASSERT_TRUE(frames->rewind());
    }
    EXPECT_EQ(colours, (std::vector<QRgb>{qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(255, 0, 0), qRgb(0, 0, 255)}));
}

INSTANTIATE_TEST_SUITE_P(Files, TwoColourAnimation,
                         ::testing::Combine(::testing::Values("blink.gif", "blink.png", "overclaimed.png", "blink.jxl"),
                                            ::testing::Bool()));

TEST(AnimatedPicture, StillsDoNotMoveAndAGifMayPlayAGivenNumberOfTimes) {
    QtPictureService service;
    for (const char* still : {"sage.png", "sage.jpg"}) {
        EXPECT_FALSE(service.decodeFirstImage(MediaFixtures::get().file(still), Size{1920, 1920}).animated);
        EXPECT_FALSE(service.openAnimation(MediaFixtures::get().file(still), Size{1920, 1920})) << still;
    }
    EXPECT_EQ(service.openAnimation(MediaFixtures::get().file("twice.gif"), {})->plays(), 2);
}

TEST(AnimatedPicture, ACutOffLastFrameEndsTheFramesWithoutHarm) {
    for (const bool behindTheWall : {false, true}) {
        const std::unique_ptr<PictureService> service = serviceDecoding(behindTheWall);
        const std::unique_ptr<AnimationFrames> frames = service->openAnimation(MediaFixtures::get().file("cut.gif"), {});
        ASSERT_TRUE(frames);
        int good = 0;
        for (AnimationStep step = frames->next(); step.kind == AnimationStep::Kind::frame && good < 10;
             step = frames->next())
            ++good;
        EXPECT_GE(good, 2);
        EXPECT_LE(good, 3);
    }
}

// Counts the frames of the real decoder that are still held anywhere.
class CountedFrames : public AnimationFrames {
  public:
    CountedFrames(std::unique_ptr<AnimationFrames> frames, std::vector<std::weak_ptr<Picture>>& made)
        : m_frames(std::move(frames)), m_made(made) {}
    std::optional<int> plays() const override { return m_frames->plays(); }
    AnimationStep next() override {
        AnimationStep step = m_frames->next();
        if (step.picture)
            m_made.push_back(step.picture);
        return step;
    }
    bool rewind() override { return m_frames->rewind(); }

  private:
    std::unique_ptr<AnimationFrames> m_frames;
    std::vector<std::weak_ptr<Picture>>& m_made;
};

class CountedPictures : public test::FakePictureService {
  public:
    std::unique_ptr<AnimationFrames> openAnimation(const std::string& path, std::optional<Size> size) override {
        return std::make_unique<CountedFrames>(m_service.openAnimation(path, size), made);
    }
    std::vector<std::weak_ptr<Picture>> made;

  private:
    QtPictureService m_service;
};

// The bound is on frames, whatever their size: the one shown and those decoded ahead.
TEST(AnimatedPicture, AThousandFramesAreNeverHeldMoreThanAFewAtATime) {
    test::FakeScheduler scheduler;
    test::FakeBackgroundWork work;
    test::FakePictureView view;
    CountedPictures pictures;
    PictureAnimation animation(scheduler, work, pictures, view);
    animation.start(MediaFixtures::get().file("thousand.gif"), Size{1920, 1920});
    std::size_t mostHeld = 0;
    for (int tick = 0; tick < 1100; ++tick) {
        scheduler.advance(0.1);
        const auto held = std::count_if(pictures.made.begin(), pictures.made.end(),
                                        [](const std::weak_ptr<Picture>& frame) { return !frame.expired(); });
        mostHeld = std::max(mostHeld, std::size_t(held));
    }
    EXPECT_GT(pictures.made.size(), 1000u);
    EXPECT_LE(mostHeld, 1 + PictureAnimation::framesAhead);
}

} // namespace
} // namespace vistrel
