#include "core/show/DecodeHeadStart.h"
#include "core/work/ThreadPool.h"

#include "FakePicture.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <sys/stat.h>

namespace vistrel::test {
namespace {

constexpr Size screenSquare{1920.0f, 1920.0f};

class DecodeHeadStartTest : public ::testing::Test {
  protected:
    // A decoder that counts its calls and returns a picture the size it was asked for.
    DecodeHeadStart::Decode countingDecoder() {
        return [this](const std::string&, Size neededSize) {
            ++decodes;
            return DecodedPicture{std::make_shared<FakePicture>(neededSize), 6};
        };
    }

    TemporaryFolder folder;
    std::atomic<int> decodes{0};
    ThreadPool pool{2}; // last: runs what is left before the decoders' state goes
};

TEST_F(DecodeHeadStartTest, TheFirstDecodeOfTheSameFileAndSizeTakesTheResultOnce) {
    folder.write("first.png", "pixels");
    DecodeHeadStart headStart;
    headStart.start(folder.file("first.png"), screenSquare, countingDecoder(), pool);

    const auto taken = headStart.take(folder.file("first.png"), screenSquare);
    ASSERT_TRUE(taken);
    ASSERT_TRUE(taken->picture);
    EXPECT_EQ(taken->picture->extent(), screenSquare);
    EXPECT_EQ(taken->orientation, 6);
    EXPECT_FALSE(headStart.take(folder.file("first.png"), screenSquare)) << "used up";
    EXPECT_EQ(decodes, 1);
}

TEST_F(DecodeHeadStartTest, AnotherPathOrSizeDecodesAsUsualAndLeavesTheHeadStart) {
    folder.write("first.png", "pixels");
    DecodeHeadStart headStart;
    headStart.start(folder.file("first.png"), screenSquare, countingDecoder(), pool);

    EXPECT_FALSE(headStart.take(folder.file("second.png"), screenSquare));
    EXPECT_FALSE(headStart.take(folder.file("first.png"), Size{1280.0f, 1280.0f}));
    EXPECT_FALSE(headStart.take(folder.file("first.png"), std::nullopt));
    EXPECT_TRUE(headStart.take(folder.file("first.png"), screenSquare));
}

// The first picture's size may be settled on the head start's own thread (asked of the
// display server there); it counts as if given, and no size means no decode.
TEST_F(DecodeHeadStartTest, ASizeSettledOnItsOwnThreadCountsAsGiven) {
    folder.write("first.png", "pixels");
    DecodeHeadStart headStart;
    headStart.start(folder.file("first.png"), DecodeHeadStart::FindSize([] { return std::optional(screenSquare); }),
                    countingDecoder(), pool);
    EXPECT_FALSE(headStart.take(folder.file("first.png"), Size{1280.0f, 1280.0f}));
    std::optional<PictureDecodedAhead> taken;
    while (!taken)
        taken = headStart.takeIfDone(folder.file("first.png"), screenSquare);
    EXPECT_EQ(taken->decoded.picture->extent(), screenSquare);

    headStart.start(folder.file("first.png"), DecodeHeadStart::FindSize([] { return std::optional<Size>(); }),
                    countingDecoder(), pool);
    EXPECT_FALSE(headStart.take(folder.file("first.png"), screenSquare));
    EXPECT_EQ(decodes, 1);
}

TEST_F(DecodeHeadStartTest, AFileRewrittenSinceItsDecodeIsNotTakenFromIt) {
    folder.write("first.png", "pixels");
    DecodeHeadStart headStart;
    headStart.start(folder.file("first.png"), screenSquare, [&](const std::string& path, Size size) {
        auto decoded = countingDecoder()(path, size);
        folder.write("first.png", "other, longer pixels"); // replaced while it decoded
        return decoded;
    }, pool);
    EXPECT_FALSE(headStart.take(folder.file("first.png"), screenSquare));
}

TEST_F(DecodeHeadStartTest, OnlyARegularFileIsEverDecoded) {
    ASSERT_EQ(::mkfifo(folder.file("pipe.jpg").c_str(), 0600), 0);
    DecodeHeadStart headStart;
    headStart.start(folder.file("pipe.jpg"), screenSquare, countingDecoder(), pool);
    headStart.start(folder.path(), screenSquare, countingDecoder(), pool);
    headStart.start(folder.file("gone.jpg"), screenSquare, countingDecoder(), pool);

    EXPECT_FALSE(headStart.take(folder.file("gone.jpg"), screenSquare));
    EXPECT_EQ(decodes, 0) << "a FIFO would have held the thread for ever";
}

// The GUI thread may ask: nothing is taken, and nothing waited for, until it is done.
TEST_F(DecodeHeadStartTest, TakingWithoutWaitingGetsOnlyAFinishedDecode) {
    folder.write("first.png", "pixels");
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    DecodeHeadStart headStart;
    headStart.start(folder.file("first.png"), screenSquare, [&, released](const std::string& path, Size size) {
        released.wait();
        return countingDecoder()(path, size);
    }, pool);

    EXPECT_FALSE(headStart.takeIfDone(folder.file("first.png"), screenSquare)) << "still decoding";
    release.set_value();
    while (decodes == 0)
        std::this_thread::yield();
    EXPECT_FALSE(headStart.takeIfDone(folder.file("first.png"), Size{1280.0f, 1280.0f}));
    std::optional<PictureDecodedAhead> taken;
    while (!taken)
        taken = headStart.takeIfDone(folder.file("first.png"), screenSquare);
    EXPECT_EQ(taken->stamp, FileStamp::of(folder.file("first.png")));
    EXPECT_EQ(taken->decoded.orientation, 6);
    EXPECT_FALSE(headStart.take(folder.file("first.png"), screenSquare)) << "used up";
}

TEST_F(DecodeHeadStartTest, ANewHeadStartReplacesOneNobodyTook) {
    folder.write("first.png", "pixels");
    folder.write("second.png", "pixels");
    DecodeHeadStart headStart;
    headStart.start(folder.file("first.png"), screenSquare, countingDecoder(), pool);
    headStart.start(folder.file("second.png"), screenSquare, countingDecoder(), pool);

    EXPECT_FALSE(headStart.take(folder.file("first.png"), screenSquare));
    EXPECT_TRUE(headStart.take(folder.file("second.png"), screenSquare));
}

} // namespace
} // namespace vistrel::test
