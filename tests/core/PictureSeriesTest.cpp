#include "ControllerFixture.h"
#include "TemporaryFolder.h"

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class PictureSeriesTest : public ControllerFixture {
  protected:
    void SetUp() override {
        start();
        controller->setImagePath(folder.path());
        FakeMovie movie;
        movie.frameSize = Size{640.0f, 360.0f};
        addMovie("/m/Holiday.mov", movie);
        setList({"/m/Holiday.mov"}, 0);
        controller->playIt();
        runningEvents = controller->pictureSeries().runningChanged.connect(
            [this](const bool& running) { runningSeen.push_back(running); });
    }

    void startAt(const std::string& rate) {
        controller->setShotsPerMinute(rate);
        controller->startMakingPictures();
    }

    TemporaryFolder folder;
    std::vector<bool> runningSeen;
    Connection runningEvents;
};

TEST_F(PictureSeriesTest, ThirtyPerMinuteWritesEveryTwoSecondsFromOneIntervalOn) {
    startAt("30");
    EXPECT_TRUE(controller->makePictureModus());
    scheduler.advance(1.99);
    EXPECT_THAT(folder.names(), IsEmpty());
    scheduler.advance(0.01);
    EXPECT_THAT(folder.names(), ElementsAre("Holiday_00000.jpg"));
    scheduler.advance(4.0);
    EXPECT_THAT(folder.names(), ElementsAre("Holiday_00000.jpg", "Holiday_00001.jpg", "Holiday_00002.jpg"));
    EXPECT_EQ(controller->infoText(), "Holiday_00002.jpg");

    controller->stopMakingPictures();
    scheduler.advance(10.0);
    EXPECT_EQ(folder.names().size(), 3u);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    EXPECT_THAT(runningSeen, ElementsAre(true, false));
}

TEST_F(PictureSeriesTest, TheRateIsReadLikeAtoi) {
    struct Case {
        const char* text;
        double interval; // 0: nothing starts
    };
    for (const Case& c : {Case{"12abc", 5.0}, Case{"  +6", 10.0}, Case{"0", 0.0}, Case{"", 0.0},
                          Case{"abc", 0.0}, Case{"-4", 0.0}, Case{" x12", 0.0}}) {
        SCOPED_TRACE(c.text);
        startAt(c.text);
        EXPECT_EQ(controller->makePictureModus(), c.interval > 0.0);
        const std::int32_t before = controller->fileIndex();
        scheduler.advance(c.interval > 0.0 ? c.interval - 0.001 : 60.0);
        EXPECT_EQ(controller->fileIndex(), before);
        scheduler.advance(0.001);
        EXPECT_EQ(controller->fileIndex(), before + (c.interval > 0.0 ? 1 : 0));
        controller->stopMakingPictures();
    }
    EXPECT_THAT(alerts.warnings, IsEmpty());
    EXPECT_EQ(PictureSeries::leadingInteger("99999999999"), INT_MAX);
    EXPECT_EQ(PictureSeries::leadingInteger("-99999999999"), INT_MIN);
}

TEST_F(PictureSeriesTest, StartingAgainKeepsTheRunningRate) {
    startAt("30");
    startAt("60");
    EXPECT_EQ(scheduler.pendingCount(), 1u);
    scheduler.advance(2.0);
    EXPECT_EQ(folder.names().size(), 1u);
    EXPECT_THAT(runningSeen, ElementsAre(true));
}

TEST_F(PictureSeriesTest, ThePanelClosesOnlyWhileNoSeriesRuns) {
    controller->makePictures();
    EXPECT_TRUE(windows.seriesPanelOpen);
    startAt("10");
    controller->cancelMakingPictures();
    EXPECT_TRUE(windows.seriesPanelOpen);
    EXPECT_TRUE(controller->makePictureModus());
    controller->stopMakingPictures();
    controller->cancelMakingPictures();
    EXPECT_FALSE(windows.seriesPanelOpen);
}

// Every alert stops the series once it is dismissed; ticks meanwhile take no frame.
TEST_F(PictureSeriesTest, EachAlertStopsTheSeries) {
    const std::vector<std::function<void()>> failures{
        [this] { controller->setImagePath(""); },
        [this] { movies.lastMovie->frameSize.reset(); },
        [this] { folder.write(FrameWriter::fileName("Holiday", controller->fileIndex()), "x"); },
        [this] { controller->setImagePath(folder.file("missing")); },
    };
    for (std::size_t k = 0; k < failures.size(); ++k) {
        SCOPED_TRACE(k);
        controller->setImagePath(folder.path());
        movies.lastMovie->frameSize = Size{640.0f, 360.0f};
        startAt("60");
        failures[k]();
        int framesWhileShown = -1;
        alerts.whileShown = [&] {
            EXPECT_TRUE(controller->makePictureModus()) << "stopped only after the alert";
            const int before = movies.lastMovie->framesTaken;
            scheduler.advance(3.0);
            framesWhileShown = movies.lastMovie->framesTaken - before;
        };
        scheduler.advance(1.0);
        alerts.whileShown = nullptr;
        EXPECT_EQ(alerts.warnings.size(), k + 1);
        EXPECT_EQ(framesWhileShown, 0);
        EXPECT_FALSE(controller->makePictureModus());
        EXPECT_EQ(scheduler.pendingCount(), 0u);
    }
}

TEST_F(PictureSeriesTest, ASingleFramesAlertStopsARunningSeriesToo) {
    startAt("6");
    controller->setImagePath("");
    controller->saveDocument();
    EXPECT_FALSE(controller->makePictureModus());
}

// A tick while a frame is still being written is skipped, not queued.
TEST_F(PictureSeriesTest, TicksDuringAWriteAreSkipped) {
    work.deferFinish = true;
    startAt("60");
    scheduler.advance(3.0);
    EXPECT_EQ(movies.lastMovie->framesTaken, 1);
    controller->saveDocument(); // asked for by the user: queued
    EXPECT_EQ(movies.lastMovie->framesTaken, 2);
    work.finishAll();
    EXPECT_THAT(folder.names(), ElementsAre("Holiday_00000.jpg", "Holiday_00001.jpg"));
    scheduler.advance(1.0);
    EXPECT_EQ(movies.lastMovie->framesTaken, 3);
}

TEST_F(PictureSeriesTest, ValuesForThePanelAnnounceTheirChanges) {
    std::vector<std::string> infoSeen;
    std::vector<std::string> rateSeen;
    PictureSeries& series = controller->pictureSeries();
    const Connection info =
        series.infoTextChanged.connect([&](const std::string& t) { infoSeen.push_back(t); });
    const Connection rate =
        series.shotsPerMinuteChanged.connect([&](const std::string& t) { rateSeen.push_back(t); });
    EXPECT_DOUBLE_EQ(controller->pictureSize(), 100.0);
    controller->setShotsPerMinute("20");
    controller->setShotsPerMinute("20");
    controller->setInfoText("x");
    startAt("30");
    scheduler.advance(2.0);
    controller->saveDocument(); // a single frame during a series names itself too
    EXPECT_THAT(rateSeen, ElementsAre("20", "30"));
    EXPECT_THAT(infoSeen, ElementsAre("x", "Holiday_00000.jpg", "Holiday_00001.jpg"));
}

} // namespace
} // namespace vistrel::test
