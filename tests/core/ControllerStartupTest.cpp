#include "ControllerFixture.h"

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

class ControllerStartup : public ControllerFixture {};

TEST_F(ControllerStartup, WithoutStoredSettingsUsesTheDefaults) {
    start();
    EXPECT_EQ(controller->scaleX(), 1.0f);
    EXPECT_EQ(controller->scaleY(), 1.0f);
    EXPECT_EQ(controller->posX(), 0.0f);
    EXPECT_EQ(controller->posY(), 0.0f);
    EXPECT_EQ(controller->sleep(), 5.0f);
    EXPECT_EQ(controller->imageCompression(), 0.2f);
    EXPECT_EQ(controller->imagePath(), "");
    EXPECT_EQ(window.opacity, 1.0f);
    EXPECT_FALSE(window.desktopLevel);
    EXPECT_TRUE(window.menuBar);
    EXPECT_EQ(window.orderedFront, 1);
    EXPECT_EQ(window.viewMadeFirstResponder, 1);
    EXPECT_TRUE(view.firstResponderFlag);
    EXPECT_EQ(view.frameValue, (Rect{0.0f, 0.0f, 1280.0f, 800.0f}));
    EXPECT_TRUE(controller->play().fileList().empty());
    EXPECT_EQ(controller->lActualIndex(), 0);
    EXPECT_EQ(controller->rate(), 1.0);
    EXPECT_FALSE(controller->loopModus());
    EXPECT_EQ(controller->qtTypes(), movies.types);
    EXPECT_EQ(controller->cgiTypes(), pictures.types);
}

TEST_F(ControllerStartup, ReadsStoredSettingsWithPlacementInPercent) {
    settings.strings = {{"PosX", "50"},
                        {"PosY", "-25"},
                        {"ScaleX", "1.5"},
                        {"Transparency", "0.5"},
                        {"Sleep", "2.5"},
                        {"MovieOnDesk", "true"},
                        {"ImagePath", "/tmp/frames"},
                        {"ImageCompression", "damaged"}};
    start();
    EXPECT_EQ(controller->posX(), 0.5f);
    EXPECT_EQ(controller->posY(), -0.25f);
    EXPECT_EQ(controller->scaleX(), 1.5f);
    EXPECT_EQ(window.opacity, 0.5f);
    EXPECT_EQ(controller->sleep(), 2.5f);
    EXPECT_TRUE(window.desktopLevel);
    EXPECT_EQ(controller->imagePath(), "/tmp/frames");
    EXPECT_EQ(controller->imageCompression(), 0.2f);

    controller->setDeskMovie(false);
    EXPECT_FALSE(window.desktopLevel);
}

// Movies still on screen, and the movie service, outlive the controller.
TEST_F(ControllerStartup, StopsListeningForMovieEndsWhenDestroyed) {
    start();
    ASSERT_TRUE(movies.endHandler);
    controller.reset();
    EXPECT_FALSE(movies.endHandler);
}

TEST_F(ControllerStartup, MenuStripIsTheMenuBarPlusTwentyTruncated) {
    for (const auto& [barHeight, strip] : {std::pair{22.0f, 42}, std::pair{21.5f, 41}}) {
        window.barHeight = barHeight;
        start();
        EXPECT_EQ(window.stripHeight, strip);
    }
}

} // namespace
} // namespace vistrel::test
