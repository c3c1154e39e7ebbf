// The whole viewer over its real picture and movie services: files in, item on
// screen, and the slide show and playback commands acting on the real player.

#include "FakeAlerts.h"
#include "FakeDocumentOpener.h"
#include "FakeFilePanels.h"
#include "FakePasteboard.h"
#include "FakeSettingsStore.h"
#include "MediaFixtures.h"
#include "app/Application.h"
#include "app/QtBackgroundWork.h"
#include "core/controller/VistrelController.h"
#include "display/VistrelView.h"
#include "core/media/Movie.h"
#include "media/pictures/QtPictureService.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace vistrel::test {
namespace {

using namespace std::chrono_literals;

class RealMediaViewerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!MediaFixtures::get().canMakeMovies())
            GTEST_SKIP() << "the ffmpeg tool is needed to make the test movies";
        auto settings = std::make_unique<FakeSettingsStore>();
        settings->strings["Sleep"] = "0.3"; // a quick slide show
        auto alertBox = std::make_unique<FakeAlerts>();
        alerts = alertBox.get();
        app = std::make_unique<Application>(ApplicationServices{std::move(settings), nullptr, nullptr,
                                                                std::move(alertBox),
                                                                std::make_unique<FakeFilePanels>(),
                                                                std::make_unique<FakePasteboard>(),
                                                                std::make_unique<FakeDocumentOpener>(), nullptr});
    }

    static std::string fixture(const char* name) { return MediaFixtures::get().file(name); }

    VistrelController& controller() { return app->controller(); }
    VistrelView& view() { return app->view(); }
    Movie* movie() { return controller().movie().get(); }
    bool showsIndex(int index) { return controller().lActualIndex() == index; }
    // Starts with `paths` and waits until the first is shown.
    void startWith(const std::vector<std::string>& paths) {
        app->start(paths);
        ASSERT_TRUE(app->work().waitForIdle());
    }
    // Steps on and waits until the item is shown (or found unshowable).
    void showNext() {
        controller().playNext();
        ASSERT_TRUE(app->work().waitForIdle());
    }

    FakeAlerts* alerts = nullptr;
    std::unique_ptr<Application> app;
};

TEST_F(RealMediaViewerTest, APictureShowsAndAMovieStartsFromItsBeginningEveryTime) {
    startWith({fixture("turned.jpg"), fixture("clip.mp4")});
    ASSERT_TRUE(view().ciImage());
    EXPECT_EQ(view().orientation(), 6);

    // Movies open in the background; the picture stays until the movie is ready.
    controller().playNext();
    EXPECT_NE(view().ciImage(), nullptr);
    ASSERT_TRUE(waitUntil([&] { return movie() != nullptr; }, 10s));
    EXPECT_EQ(view().ciImage(), nullptr);
    ASSERT_TRUE(waitUntil([&] { return movie()->currentTime().value > 500; }));

    showNext(); // back to the picture, then the movie anew
    EXPECT_EQ(movie(), nullptr);
    controller().playNext();
    ASSERT_TRUE(waitUntil([&] { return movie() != nullptr; }, 10s));
    EXPECT_LT(movie()->currentTime().value, 300);
    EXPECT_TRUE(alerts->warnings.empty());
}

TEST_F(RealMediaViewerTest, AFileThatCannotBeShownLeavesThePreviousItemOnScreen) {
    startWith({fixture("plain.png"), fixture("notes.png"), fixture("noise.mp4"), fixture("notes.txt")});
    const auto picture = view().ciImage();
    ASSERT_TRUE(picture);
    for (int index = 1; index <= 3; ++index) {
        showNext();
        EXPECT_TRUE(showsIndex(index));
        EXPECT_EQ(view().ciImage(), picture);
        EXPECT_EQ(movie(), nullptr);
    }
}

// The real picture service, listing one more extension as a picture type: no
// extension is both a picture and a movie type here, yet the viewer must try such a
// file as a movie when it does not decode as a picture.
class PicturesAlsoListing : public PictureService {
  public:
    explicit PicturesAlsoListing(std::string extension) : m_extension(std::move(extension)) {}
    std::vector<std::string> pictureFileTypes() const override {
        auto types = m_real.pictureFileTypes();
        types.push_back(m_extension);
        return types;
    }
    DecodedPicture decodeFirstImage(const std::string& path, std::optional<Size> needed) override {
        return m_real.decodeFirstImage(path, needed);
    }
    PictureInfo inspect(const std::string& path) override { return m_real.inspect(path); }
    std::vector<std::uint8_t> jpegData(const Picture& picture, float factor, int orientation) override {
        return m_real.jpegData(picture, factor, orientation);
    }
    std::vector<std::uint8_t> tiffData(const Picture& picture) override { return m_real.tiffData(picture); }
    std::vector<std::uint8_t> pngData(const Picture& picture) override { return m_real.pngData(picture); }

  private:
    QtPictureService m_real;
    std::string m_extension;
};

TEST_F(RealMediaViewerTest, AnUndecodablePictureWithAMovieExtensionIsTriedAsAMovie) {
    ApplicationServices services;
    services.settings = std::make_unique<FakeSettingsStore>();
    services.pictures = std::make_unique<PicturesAlsoListing>("mp4");
    services.panels = std::make_unique<FakeFilePanels>();
    app = std::make_unique<Application>(std::move(services));
    startWith({fixture("plain.png"), fixture("clip.mp4")});
    ASSERT_TRUE(view().ciImage());
    controller().playNext();
    EXPECT_TRUE(waitUntil([&] { return movie() != nullptr; }, 10s));
    EXPECT_EQ(view().ciImage(), nullptr);
}

TEST_F(RealMediaViewerTest, ASlideShowShowsPicturesForTheIntervalAndMoviesUntilTheyEnd) {
    startWith({fixture("plain.png"), fixture("clip.mp4"), fixture("turned.jpg")});
    controller().setLoopMode();

    ASSERT_TRUE(waitUntil([&] { return movie() != nullptr; }, 10s));
    EXPECT_TRUE(showsIndex(1));
    // Let the movie end soon instead of playing all of it.
    const MovieTime length = movie()->duration();
    movie()->setCurrentTime(MovieTime{length.value - 200, length.scale});
    ASSERT_TRUE(waitUntil([&] { return showsIndex(2) && view().ciImage(); }, 10s));
    ASSERT_TRUE(waitUntil([&] { return showsIndex(0); }, 10s)); // wrapped around

    controller().stopLoop();
}

TEST_F(RealMediaViewerTest, PlaybackCommandsChangeWhatThePlayerDoes) {
    startWith({fixture("clip.mp4")});
    ASSERT_TRUE(waitUntil([&] { return movie() != nullptr && movie()->isPlaying(); }, 10s));

    controller().movieFaster();
    EXPECT_FLOAT_EQ(movie()->rate(), 1.1f);
    controller().movieVolumeMinus();
    EXPECT_EQ(movie()->volume(), 240);

    controller().stopCont();
    EXPECT_FALSE(movie()->isPlaying());
    const std::int64_t before = movie()->currentTime().value;
    controller().movieSkip10(); // 5 % of two seconds
    EXPECT_GE(movie()->currentTime().value, before + 90);
    controller().stopCont();
    EXPECT_TRUE(movie()->isPlaying());
}

} // namespace
} // namespace vistrel::test
