// Frames written by the whole viewer over its real services, from the sample files.

#include "FakeAlerts.h"
#include "FakeDocumentOpener.h"
#include "FakeFilePanels.h"
#include "FakePasteboard.h"
#include "FakeSettingsStore.h"
#include "MediaFixtures.h"
#include "TemporaryFolder.h"
#include "app/Application.h"
#include "app/QtBackgroundWork.h"
#include "core/controller/VistrelController.h"
#include "core/media/Movie.h"

#include <QImageReader>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <iostream>

namespace vistrel::test {
namespace {

std::string sample(const char* name) {
    return std::string(VISTREL_SOURCE_DIR) + "/samples/" + name;
}

QSize storedSize(const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    reader.setAutoTransform(false);
    return reader.size();
}

class RealFrameCaptureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto settings = std::make_unique<FakeSettingsStore>();
        settings->strings["ImagePath"] = folder.path();
        auto alertBox = std::make_unique<FakeAlerts>();
        alerts = alertBox.get();
        app = std::make_unique<Application>(ApplicationServices{
            std::move(settings), nullptr, nullptr, std::move(alertBox), std::make_unique<FakeFilePanels>(),
            std::make_unique<FakePasteboard>(), std::make_unique<FakeDocumentOpener>(), nullptr});
    }

    VistrelController& controller() { return app->controller(); }

    TemporaryFolder folder;
    FakeAlerts* alerts = nullptr;
    std::unique_ptr<Application> app;
};

// What a series costs a playing movie is the frame taken on the GUI thread; the rest
// runs in the background.
TEST_F(RealFrameCaptureTest, FramesOfAPlayingMovieAreWrittenWhileItPlaysOn) {
    app->start({sample("04-testcard.mp4")});
    ASSERT_TRUE(waitUntil([&] { return controller().movie() != nullptr; }));
    const auto movie = controller().movie();
    ASSERT_TRUE(waitUntil([&] { return movie->currentTime().value > 300; }));

    std::vector<double> costs;
    for (int i = 0; i < 8; ++i) {
        const auto begin = std::chrono::steady_clock::now();
        controller().saveDocument();
        costs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
        QTest::qWait(150);
    }
    ASSERT_TRUE(app->work().waitForIdle());
    std::sort(costs.begin(), costs.end());
    std::cout << "GUI-thread cost of one capture of a playing 1280x720 movie: median "
              << costs[costs.size() / 2] << " ms, max " << costs.back() << " ms\n";
    EXPECT_TRUE(movie->isPlaying());
    EXPECT_TRUE(alerts->warnings.empty());
    ASSERT_EQ(controller().fileIndex(), 8);
    const QImage frame(QString::fromStdString(folder.file("04-testcard_00007.jpg")));
    EXPECT_EQ(frame.size(), QSize(1280, 720));
    EXPECT_NE(frame.pixel(0, 0), frame.pixel(640, 360)) << "a picture, not a blank frame";
}

TEST_F(RealFrameCaptureTest, APictureIsWrittenWholeAndTaggedWithItsTurn) {
    app->start({sample("02-portrait-exif6.jpg")});
    ASSERT_TRUE(app->work().waitForIdle());
    controller().saveDocument();
    ASSERT_TRUE(app->work().waitForIdle());
    const std::string written = folder.file("02-portrait-exif6_00000.jpg");
    EXPECT_EQ(storedSize(written), QSize(1200, 900));
    QImageReader turned(QString::fromStdString(written));
    turned.setAutoTransform(true);
    EXPECT_EQ(turned.read().size(), QSize(900, 1200));
}

} // namespace
} // namespace vistrel::test
