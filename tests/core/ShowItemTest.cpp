#include "ControllerFixture.h"

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ShowItem : public ControllerFixture {
  protected:
    void SetUp() override { start(); }

    // Makes the controller's index `index` by letting it find a mark there.
    void setActualIndex(int index) {
        std::vector<std::string> paths(static_cast<std::size_t>(index) + 1, "/p/filler.txt");
        setList(paths, index);
        ASSERT_TRUE(controller->getURL());
    }
};

TEST_F(ShowItem, AnEmptyListShowsNothing) {
    controller->playIt();
    EXPECT_EQ(controller->getURL(), std::nullopt);
    EXPECT_THAT(pictures.decoded, IsEmpty());
    EXPECT_THAT(movies.opened, IsEmpty());
}

TEST_F(ShowItem, TheMarkWinsOverAStaleIndex) {
    setActualIndex(4);
    setList({"/p/0.jpg", "/p/1.jpg", "/p/2.jpg"}, 1);
    controller->playIt();
    EXPECT_EQ(controller->lActualIndex(), 1);
    EXPECT_THAT(pictures.decoded, ElementsAre("/p/1.jpg"));

    setList({"/p/0.jpg", "/p/1.jpg", "/p/2.jpg"}, 2);
    EXPECT_EQ(controller->getURL(), "/p/2.jpg");
    EXPECT_EQ(controller->lActualIndex(), 2);
}

TEST_F(ShowItem, NoMarkedEntryShowsNothingAndKeepsTheIndex) {
    setActualIndex(2);
    setList({"/p/0.jpg", "/p/1.jpg"}, -1);
    controller->playIt();
    EXPECT_EQ(controller->lActualIndex(), 2);
    EXPECT_THAT(pictures.decoded, IsEmpty());
}

TEST_F(ShowItem, APictureIsShownWithItsOrientationAndTheBarsHidden) {
    addPicture("/p/Photo.TIFF", {3000.0f, 2000.0f}, 6);
    view.controllerVisible = true;
    window.menuBar = true;
    setList({"/p/Photo.TIFF"}, 0);
    controller->playIt();
    ASSERT_TRUE(view.picture);
    EXPECT_EQ(view.orientationValue, 6);
    EXPECT_FALSE(window.menuBar);
    EXPECT_FALSE(view.controllerVisible);
    EXPECT_EQ(controller->movie(), nullptr);
    EXPECT_EQ(controller->recentDocuments().recentDocumentPaths().front(), "/p/Photo.TIFF");
    // The turn is unknown before decoding: a square of the screen's longer side fits either.
    EXPECT_EQ(pictures.lastNeededSize, (Size{1280.0f, 1280.0f}));
}

// A portrait phone picture (stored 4000 x 3000, orientation 6) is fitted and centred
// as the 3000 x 4000 picture it is shown as.
TEST_F(ShowItem, ATurnedPictureIsLaidOutInItsDisplayedSize) {
    addPicture("/p/phone.jpg", {4000.0f, 3000.0f}, 6);
    setList({"/p/phone.jpg"}, 0);
    controller->playIt();
    EXPECT_EQ(view.frameValue, (Rect{340.0f, 0.0f, 600.0f, 800.0f}));
}

// A picture without an orientation tag is stored upright, whatever was shown before it.
TEST_F(ShowItem, APictureWithoutOrientationIsShownUpright) {
    addPicture("/p/a.jpg", {640.0f, 480.0f}, 8);
    addPicture("/p/b.png");
    setList({"/p/a.jpg", "/p/b.png"}, 0);
    controller->playIt();
    controller->playNext();
    EXPECT_EQ(view.orientationValue, 1);
}

TEST_F(ShowItem, AMovieIsOpenedPlacedAndStartedEachTimeAnew) {
    addMovie("/m/clip.MOV");
    window.menuBar = true;
    setList({"/m/clip.MOV"}, 0);
    controller->playIt();
    ASSERT_NE(controller->movie(), nullptr);
    const auto first = controller->movie();
    EXPECT_EQ(view.movie, first);
    EXPECT_FALSE(view.controllerVisible);
    EXPECT_TRUE(view.editable);
    EXPECT_FALSE(view.showsResizeIndicator);
    EXPECT_FALSE(window.menuBar);
    EXPECT_EQ(view.playCount, 1);
    EXPECT_EQ(view.frameValue, (Rect{106.66669f, 0.0f, 1066.6666f, 800.0f}));

    controller->playIt();
    EXPECT_NE(controller->movie(), first);
    EXPECT_EQ(view.playCount, 2);
    EXPECT_THAT(movies.opened, ElementsAre("/m/clip.MOV", "/m/clip.MOV"));
    EXPECT_THAT(controller->recentDocuments().recentDocumentPaths(), ElementsAre("/m/clip.MOV"));
}

TEST_F(ShowItem, AnUndecodablePictureIsTriedAsAMovieOfTheSameExtension) {
    pictures.types.push_back("mov");
    start();
    addMovie("/m/clip.mov");
    setList({"/m/clip.mov", "/p/broken.jpg"}, 0);
    controller->playIt();
    EXPECT_THAT(pictures.decoded, ElementsAre("/m/clip.mov"));
    EXPECT_NE(controller->movie(), nullptr);

    controller->playNext(); // a broken jpg is no movie: nothing new, the old movie stays in the view
    EXPECT_EQ(controller->movie(), nullptr);
    EXPECT_NE(view.movie, nullptr);
    EXPECT_THAT(movies.opened, ElementsAre("/m/clip.mov"));
}

TEST_F(ShowItem, UnlistedAndUnopenableFilesShowNothingSilently) {
    setList({"/p/notes.txt", "/m/gone.mov"}, 0);
    controller->playIt();
    controller->playNext();
    EXPECT_THAT(movies.opened, ElementsAre("/m/gone.mov"));
    EXPECT_EQ(controller->movie(), nullptr);
    EXPECT_THAT(alerts.warnings, IsEmpty());
    EXPECT_THAT(controller->recentDocuments().recentDocumentPaths(), IsEmpty());
}

TEST_F(ShowItem, AMovieTheViewRefusesRaisesTheAlertAndStaysTheItem) {
    addMovie("/m/clip.mov");
    view.failOnSetMovie = true;
    setList({"/m/clip.mov"}, 0);
    controller->playIt();
    EXPECT_THAT(alerts.warnings,
                ElementsAre(std::pair<std::string, std::string>("Error!", "Couldn't show file ...")));
    EXPECT_NE(controller->movie(), nullptr);
    EXPECT_EQ(view.playCount, 0);
}

TEST_F(ShowItem, ASoundOnlyMovieLeavesTheViewWhereItWas) {
    FakeMovie sound;
    sound.natural = {0.0f, 0.0f};
    addMovie("/m/song.mpg", sound);
    setList({"/m/song.mpg"}, 0);
    const int framesBefore = view.framesSet;
    controller->playIt();
    EXPECT_EQ(view.framesSet, framesBefore);
    EXPECT_EQ(view.playCount, 1);
}

} // namespace
} // namespace vistrel::test
