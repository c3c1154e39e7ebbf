#include "ControllerFixture.h"

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Bytes = std::vector<std::uint8_t>;

class FramePasteboardTest : public ControllerFixture {
  protected:
    void SetUp() override { start(); }
    void showMovie() {
        FakeMovie movie;
        movie.frameSize = Size{320.0f, 240.0f};
        addMovie("/m/a.mov", movie);
        setList({"/m/a.mov"}, 0);
        controller->playIt();
    }
};

TEST_F(FramePasteboardTest, AnswersForTiffOrNoTypeOnly) {
    VistrelController* self = controller.get();
    EXPECT_EQ(controller->validRequestorForSendType("image/tiff", ""), self);
    EXPECT_EQ(controller->validRequestorForSendType("", "image/tiff"), self);
    EXPECT_EQ(controller->validRequestorForSendType("", ""), self);
    EXPECT_EQ(controller->validRequestorForSendType("text/plain", ""), nullptr);
    EXPECT_EQ(controller->validRequestorForSendType("image/tiff", "image/png"), nullptr);
    EXPECT_TRUE(controller->readSelectionFromPasteboard());
}

TEST_F(FramePasteboardTest, PutsTheMovieFrameUnderTheRequestedTypes) {
    showMovie();
    pasteboard.declared = {"untouched"};
    EXPECT_FALSE(controller->writeSelectionToPasteboard({"image/png"}));
    EXPECT_THAT(pasteboard.declared, ElementsAre("untouched"));

    EXPECT_TRUE(controller->writeSelectionToPasteboard({"image/tiff"}));
    EXPECT_THAT(pasteboard.declared, ElementsAre("image/tiff"));
    EXPECT_EQ(pasteboard.data.size(), 1u);
    EXPECT_EQ(pasteboard.data["image/tiff"], pictures.tiffBytes);

    controller->copyFrame();
    EXPECT_THAT(pasteboard.declared, ElementsAre("image/tiff", "image/png"));
    EXPECT_EQ(pasteboard.data["image/png"], pictures.pngBytes);
}

TEST_F(FramePasteboardTest, APictureIsNotOfferedButTheAnswerIsYes) {
    addPicture("/p/a.jpg");
    setList({"/p/a.jpg"}, 0);
    controller->playIt();
    EXPECT_TRUE(controller->writeSelectionToPasteboard({"image/tiff"}));
    EXPECT_THAT(pasteboard.declared, ElementsAre("image/tiff"));
    EXPECT_THAT(pasteboard.data, IsEmpty());
}

TEST_F(FramePasteboardTest, OnlyTheNewestOfferIsPut) {
    showMovie();
    work.deferFinish = true;
    pictures.tiffBytes = Bytes{1};
    controller->copyFrame();
    pictures.tiffBytes = Bytes{2};
    controller->copyFrame();
    EXPECT_THAT(pasteboard.data, IsEmpty()) << "encoded in the background";
    work.finishAll();
    EXPECT_EQ(pasteboard.data["image/tiff"], Bytes{2});
}

} // namespace
} // namespace vistrel::test
