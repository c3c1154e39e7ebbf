#include "core/settings/Preferences.h"

#include "ControllerFixture.h"

#include <gmock/gmock.h>
#include <set>

namespace vistrel::test {
namespace {

using ::testing::ElementsAre;
using Strings = std::map<std::string, std::string>;

const Strings factoryValues{{"Transparency", "1"}, {"ScaleX", "1"},   {"ScaleY", "1"},
                            {"PosX", "0"},         {"PosY", "0"},     {"MovieOnDesk", "false"},
                            {"Sleep", "5"},        {"ImagePath", ""}, {"ImageCompression", "0.2"}};

const Strings someStoredValues{
    {"Transparency", "0.5"}, {"ScaleX", "1.5"},        {"ScaleY", "0.75"},
    {"PosX", "50"},          {"PosY", "-25"},          {"MovieOnDesk", "true"},
    {"Sleep", "2.5"},        {"ImagePath", "/frames"}, {"ImageCompression", "0.9"}};

class PreferencesTest : public ControllerFixture {
  protected:
    // What showing the window does the first time: read, build, re-apply.
    Preferences& openWindow() {
        controller->preferences(nullptr);
        Preferences& prefs = *controller->prefs();
        if (!prefs.isWindowLoaded()) {
            prefs.windowWillLoad();
            prefs.windowDidLoad();
        }
        return prefs;
    }

    // Starts with `stored` in the store and records what the window hears.
    Preferences& startWith(const Strings& stored) {
        settings.strings = stored;
        start();
        Preferences& prefs = *controller->prefs();
        changes = prefs.changed.connect([this](PreferenceKey key) { heard.insert(key); });
        closes = prefs.closeWindow.connect([this] { ++closeCount; });
        return prefs;
    }

    void expectControllerHas(float alpha, float scaleX, float scaleY, float posX, float posY, bool desk,
                             float sleep, const std::string& path, float compression) {
        EXPECT_EQ(window.opacity, alpha);
        EXPECT_EQ(controller->scaleX(), scaleX);
        EXPECT_EQ(controller->scaleY(), scaleY);
        EXPECT_EQ(controller->posX(), posX);
        EXPECT_EQ(controller->posY(), posY);
        EXPECT_EQ(window.desktopLevel, desk);
        EXPECT_EQ(controller->sleep(), sleep);
        EXPECT_EQ(controller->imagePath(), path);
        EXPECT_EQ(controller->imageCompression(), compression);
    }

    std::set<PreferenceKey> heard;
    Connection changes;
    Connection closes;
    int closeCount = 0;
};

TEST_F(PreferencesTest, PlacementIsShownInPercentAndAppliedAsAFraction) {
    Preferences& prefs = startWith({{"PosX", "50"}, {"PosY", "-25"}});
    openWindow();
    EXPECT_EQ(prefs.posX(), 50.0f);
    EXPECT_EQ(prefs.posY(), -25.0f);
    EXPECT_EQ(controller->posX(), 0.5f);

    prefs.setPosX(25.0f);
    EXPECT_EQ(controller->posX(), 0.25f);
    EXPECT_TRUE(heard.contains(PreferenceKey::posX));
    prefs.setScaleY(2.0f);
    EXPECT_EQ(controller->scaleY(), 2.0f);
    EXPECT_EQ(prefs.scaleY(), 2.0f);
}

TEST_F(PreferencesTest, OpacityAppliesAtOnceCancelBringsBackTheStoredOneOkKeepsTheNewOne) {
    Preferences& prefs = startWith({{"Transparency", "0.8"}});
    openWindow();
    prefs.setTransparency(0.3f);
    EXPECT_EQ(window.opacity, 0.3f);

    prefs.Cancel(nullptr);
    EXPECT_EQ(window.opacity, 0.8f);
    EXPECT_EQ(prefs.transparency(), 0.8f);
    EXPECT_EQ(settings.strings, (Strings{{"Transparency", "0.8"}}));
    EXPECT_EQ(closeCount, 1);

    openWindow().setTransparency(0.4f);
    prefs.Ok(nullptr);
    EXPECT_EQ(closeCount, 2);
    EXPECT_EQ(settings.strings.at("Transparency"), "0.4");

    // A restart on the same store starts with the kept opacity.
    controller.reset();
    window.opacity = -1.0f;
    start();
    EXPECT_EQ(window.opacity, 0.4f);
}

TEST_F(PreferencesTest, OkStoresEveryKeyInItsTypeAndTheCloseBoxStoresTheSame) {
    Preferences& prefs = startWith({});
    openWindow();
    prefs.setTransparency(0.25f);
    prefs.setScaleX(2.0f);
    prefs.setScaleY(0.5f);
    prefs.setPosX(12.5f);
    prefs.setPosY(-40.0f);
    prefs.setDeskMovie(true);
    prefs.setSleep(3.0f);
    prefs.setImageCompression(0.7f);
    panels.chosenDirectory = "/home/me/frames";
    prefs.SetImagePath(nullptr);

    prefs.Ok(nullptr);
    const Strings byOk = settings.strings;
    EXPECT_EQ(byOk, (Strings{{"Transparency", "0.25"},
                             {"ScaleX", "2"},
                             {"ScaleY", "0.5"},
                             {"PosX", "12.5"},
                             {"PosY", "-40"},
                             {"MovieOnDesk", "true"},
                             {"Sleep", "3"},
                             {"ImagePath", "/home/me/frames"},
                             {"ImageCompression", "0.7"}}));

    settings.strings.clear();
    EXPECT_TRUE(prefs.windowShouldClose());
    EXPECT_EQ(settings.strings, byOk);
    EXPECT_EQ(closeCount, 2);
}

TEST_F(PreferencesTest, ResetAppliesTheFactoryValuesWithoutStoringAndOkThenStoresThem) {
    Preferences& prefs = startWith(someStoredValues);
    openWindow();
    heard.clear();
    prefs.Reset(nullptr);
    expectControllerHas(1.0f, 1.0f, 1.0f, 0.0f, 0.0f, false, 5.0f, "", 0.2f);
    EXPECT_EQ(prefs.pathField(), "");
    EXPECT_EQ(settings.strings, someStoredValues);
    EXPECT_EQ(closeCount, 0) << "the window stays open";
    // Every control hears of its new value.
    EXPECT_EQ(heard.size(), 9u);
    EXPECT_FALSE(heard.contains(PreferenceKey::prefTrans));

    prefs.Ok(nullptr);
    EXPECT_EQ(settings.strings, factoryValues);
}

TEST_F(PreferencesTest, ResetThenCancelLeavesTheStoreAndReappliesIt) {
    Preferences& prefs = startWith(someStoredValues);
    openWindow();
    prefs.Reset(nullptr);
    prefs.Cancel(nullptr);
    EXPECT_EQ(settings.strings, someStoredValues);
    expectControllerHas(0.5f, 1.5f, 0.75f, 0.5f, -0.25f, true, 2.5f, "/frames", 0.9f);
    EXPECT_EQ(prefs.pathField(), "/frames");
    EXPECT_EQ(prefs.posX(), 50.0f);
}

TEST_F(PreferencesTest, FirstOpeningReappliesWhatTheWindowHoldsButNotScaleOrPlacement) {
    Preferences& prefs = startWith(someStoredValues);
    controller->setTransparency(0.9f);
    controller->setDeskMovie(false);
    controller->setSleep(7.0f);
    controller->setImageCompression(0.1f);
    controller->setImagePath("/elsewhere");
    controller->setScaleX(3.0f);
    controller->setPosY(0.1f);
    prefs.setPrefTrans(0.4f);

    openWindow();
    EXPECT_EQ(windows.preferencesShown, 1);
    expectControllerHas(0.5f, 3.0f, 0.75f, 0.5f, 0.1f, true, 2.5f, "/frames", 0.9f);
    EXPECT_EQ(prefs.pathField(), "/frames");
    EXPECT_EQ(prefs.prefTrans(), 1.0f);

    // Later showings only show the window again.
    controller->setSleep(7.0f);
    openWindow();
    EXPECT_EQ(windows.preferencesShown, 2);
    EXPECT_EQ(controller->sleep(), 7.0f);
}

TEST_F(PreferencesTest, TheWindowsOwnOpacityIsNeverStored) {
    Preferences& prefs = startWith({});
    openWindow();
    prefs.setPrefTrans(0.6f);
    EXPECT_TRUE(heard.contains(PreferenceKey::prefTrans));
    prefs.Ok(nullptr);
    std::set<std::string> keys;
    for (const auto& [key, value] : settings.strings)
        keys.insert(key);
    std::set<std::string> nine;
    for (const auto& [key, value] : factoryValues)
        nine.insert(key);
    EXPECT_EQ(keys, nine);
}

// The menu's Reset Settings works before the window was ever shown.
TEST_F(PreferencesTest, ResetBeforeTheWindowWasLoadedReachesTheController) {
    Preferences& prefs = startWith(someStoredValues);
    controller->reset(nullptr);
    expectControllerHas(1.0f, 1.0f, 1.0f, 0.0f, 0.0f, false, 5.0f, "", 0.2f);
    EXPECT_FALSE(prefs.isWindowLoaded());
    EXPECT_FALSE(heard.contains(PreferenceKey::imagePath));
    EXPECT_EQ(settings.strings, someStoredValues);

    openWindow();
    EXPECT_EQ(prefs.pathField(), "/frames");
    EXPECT_EQ(window.opacity, 0.5f);
}

TEST_F(PreferencesTest, ChoosingTheFrameFolderAppliesItAndCancellingChangesNothing) {
    Preferences& prefs = startWith({{"ImagePath", "/frames"}});
    openWindow();
    panels.chosenDirectory.reset();
    prefs.SetImagePath(nullptr);
    EXPECT_EQ(panels.directoryPanelTitle, "Set Image Directory");
    EXPECT_EQ(prefs.pathField(), "/frames");
    EXPECT_EQ(controller->imagePath(), "/frames");

    panels.chosenDirectory = "/new";
    prefs.SetImagePath(nullptr);
    EXPECT_EQ(prefs.pathField(), "/new");
    EXPECT_EQ(controller->imagePath(), "/new");
    EXPECT_EQ(settings.strings.at("ImagePath"), "/frames") << "stored only by Ok";
}

TEST_F(PreferencesTest, HelpOpensTheDocumentAndAMissingOneOpensNothingSilently) {
    start();
    controller->showHelp(nullptr);
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_FALSE(opener.opened[0].has_value());

    opener.resources["VistrelHelp.pdf"] = "/usr/share/vistrel/VistrelHelp.pdf";
    controller->showHelp(nullptr);
    EXPECT_EQ(opener.opened.back(), std::optional<std::string>("/usr/share/vistrel/VistrelHelp.pdf"));
    EXPECT_TRUE(alerts.warnings.empty());
}

// --- start-up order

// Records, at the moments the start-up reaches them, what the controller had set up.
struct StepWatch {
    VistrelController* controller = nullptr;
    std::vector<std::string> seen;
    void note(const char* step) {
        seen.push_back(std::string(step) + (controller->prefs() ? " with prefs" : " without prefs") +
                       (controller->servicesSendTypes().empty() ? "" : " registered"));
    }
};

class WatchedWindow : public FakeMainWindow {
  public:
    explicit WatchedWindow(StepWatch& watch) : m_watch(watch) {}
    void installMenuStrip(int height) override {
        FakeMainWindow::installMenuStrip(height);
        m_watch.note("menu strip");
    }

  private:
    StepWatch& m_watch;
};

class WatchedMovieService : public FakeMovieService {
  public:
    explicit WatchedMovieService(StepWatch& watch) : m_watch(watch) {}
    std::vector<std::string> movieFileTypes() const override {
        m_watch.note("movie types");
        return FakeMovieService::movieFileTypes();
    }

  private:
    StepWatch& m_watch;
};

TEST_F(PreferencesTest, StartUpRegistersTheServicesAndCreatesTheSettingsLogicBetweenStripAndTypes) {
    StepWatch watch;
    WatchedWindow watchedWindow(watch);
    WatchedMovieService watchedMovies(watch);
    VistrelController watched(ControllerServices{scheduler, settings, watchedWindow, view, overlay, alerts,
                                                 panels, watchedMovies, pictures, work, pasteboard, opener,
                                                 windows});
    watch.controller = &watched;
    watched.awakeFromNib();
    EXPECT_THAT(watch.seen, ElementsAre("menu strip without prefs", "movie types with prefs registered"));
    EXPECT_THAT(watched.servicesSendTypes(), ElementsAre("image/tiff"));
    EXPECT_THAT(watched.servicesReturnTypes(), ElementsAre("image/tiff"));
    EXPECT_EQ(windows.preferencesShown, 0) << "the window is not shown at start-up";
}

TEST_F(PreferencesTest, SettingsLogicMadeBeforeStartUpIsKept) {
    controller = std::make_unique<VistrelController>(
        ControllerServices{scheduler, settings, window, view, overlay, alerts, panels, movies, pictures, work,
                           pasteboard, opener, windows});
    controller->preferences(nullptr);
    Preferences* early = controller->prefs();
    ASSERT_NE(early, nullptr);
    controller->awakeFromNib();
    EXPECT_EQ(controller->prefs(), early);
}

} // namespace
} // namespace vistrel::test
