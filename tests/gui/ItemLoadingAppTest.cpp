#include "AppTestFixture.h"
#include "core/media/Picture.h"
#include "core/view/PictureView.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <latch>

namespace vistrel::test {
namespace {

using ItemLoadingAppTest = AppTestFixture;

// Decoding stuck on a slow file must leave the window responsive, and stepping on
// meanwhile must end with the last picture asked for, not with the ones in between.
TEST_F(ItemLoadingAppTest, SteppingWhileDecodesAreStuckKeepsTheWindowResponsive) {
    std::latch decodesReleased(1);
    struct Release {
        std::latch& latch;
        ~Release() {
            if (!latch.try_wait())
                latch.count_down();
        }
    } releaseOnAnyExit{decodesReleased};
    pictures->beforeDecode = [&](const std::string&) { decodesReleased.wait(); };

    auto paths = pictureFiles(50);
    pictures->decodable[paths.back()].size = {1234.0f, 567.0f};
    start();
    controller().applicationOpenFiles(paths); // the first decode gets stuck at once

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(1);
    QElapsedTimer stepping;
    stepping.start();
    for (int i = 1; i < 50; ++i) {
        controller().playNext();
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 20; }, 5000))
        << "events were not processed while decodes were stuck";
    EXPECT_LT(stepping.elapsed(), 5000) << "the GUI thread waited on a decode";
    EXPECT_EQ(controller().lActualIndex(), 49);

    decodesReleased.count_down();
    ASSERT_TRUE(app->work().waitForIdle());
    const auto shown = controller().services().movieView.ciImage();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->extent(), (Size{1234.0f, 567.0f}));
    // A request a worker took up before the next one came is decoded; the others,
    // still queued when superseded, never are.
    const auto superseded =
        std::count_if(pictures->decoded.begin(), pictures->decoded.end(),
                      [&](const std::string& path) { return path != paths[0] && path != paths[49]; });
    EXPECT_LE(superseded, QThread::idealThreadCount());
}

} // namespace
} // namespace vistrel::test
