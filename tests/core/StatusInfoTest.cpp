#include "ControllerFixture.h"

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using ::testing::IsEmpty;

class StatusInfo : public ControllerFixture {
  protected:
    void SetUp() override { start(); }

    void showMovieThird(FakeMovie movie) {
        addMovie("/m/clip.mov", movie);
        setList({"/m/0.mov", "/m/1.mov", "/m/clip.mov", "/m/3.mov", "/m/4.mov"}, 2);
        controller->playIt();
        controller->showInfo();
    }
};

TEST_F(StatusInfo, SummarisesAMovieInSixLines) {
    FakeMovie movie;
    movie.name = "Clip";
    movie.durationValue = {2000, 600};
    movie.current = {500, 600};
    movie.rateValue = 1.0f;
    movie.volumeValue = 256;
    showMovieThird(movie);
    EXPECT_EQ(overlay.last().text,
              "Name: Clip \nPosition: 25 % \nRate: 100 % \nVolume: 100 %\n\n File Nr. 3 from 5");
    EXPECT_EQ(overlay.last().duration, 4.0);
}

TEST_F(StatusInfo, TruncatesPercentagesOfAPausedQuietOrEmptyMovie) {
    FakeMovie movie;
    movie.name = "Quiet";
    movie.durationValue = {0, 600};
    movie.rateValue = 0.0f;
    movie.volumeValue = 240;
    showMovieThird(movie);
    EXPECT_EQ(overlay.last().text,
              "Name: Quiet \nPosition: 0 % \nRate: 0 % \nVolume: 93 %\n\n File Nr. 3 from 5");
}

TEST_F(StatusInfo, ReadsTimesAs32BitValues) {
    FakeMovie movie;
    movie.name = "Long";
    movie.durationValue = {(std::int64_t{1} << 32) + 2000, 600};
    movie.current = {(std::int64_t{1} << 32) + 1000, 600};
    movie.rateValue = 1.0f;
    showMovieThird(movie);
    EXPECT_THAT(overlay.last().text, ::testing::HasSubstr("Position: 50 % "));
}

TEST_F(StatusInfo, SummarisesAPictureFromItsProperties) {
    addPicture("/p/a.jpg");
    PictureInfo info;
    info.status = PictureStatus::ok;
    info.pixelWidth = 3000;
    info.pixelHeight = 2000;
    info.colorModel = "RGB";
    pictures.infos["/p/a.jpg"] = info;
    setList({"/p/a.jpg", "/p/b.jpg"}, 0);
    controller->playIt();
    controller->showInfo();
    EXPECT_EQ(overlay.last().text, "Name: a.jpg \nSize: 3000 x 2000 \nColorModel: RGB\n\n File Nr. 1 from 2");

    info.pixelHeight.reset();
    info.colorModel.reset();
    pictures.infos["/p/a.jpg"] = info;
    controller->showInfo();
    EXPECT_EQ(overlay.last().text, "Name: a.jpg \nSize:  \nColorModel: \n\n File Nr. 1 from 2");

    // The facts are read on a worker; a summary of an entry stepped away from meanwhile
    // is dropped.
    const std::size_t shown = overlay.messages.size();
    work.deferFinish = true;
    controller->showInfo();
    EXPECT_EQ(overlay.messages.size(), shown);
    controller->playNext();
    work.finishAll();
    EXPECT_EQ(overlay.messages.size(), shown);
}

TEST_F(StatusInfo, ShowsNothingWithoutAnEntryOrForANonPicture) {
    controller->showInfo();
    setList({"/p/notes.txt"}, 0);
    controller->showInfo();
    EXPECT_THAT(overlay.messages, IsEmpty());
}

} // namespace
} // namespace vistrel::test
