#include "core/settings/UserDefaults.h"

#include "FakeSettingsStore.h"
#include "core/settings/RecentDocuments.h"
#include "core/settings/SettingsKeys.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace vistrel {
namespace {

using test::FakeSettingsStore;

TEST(UserDefaults, UnwrittenKeysReadAsTheViewerDefaults) {
    FakeSettingsStore store;
    UserDefaults defaults(store);
    defaults.registerViewerDefaults();
    EXPECT_EQ(defaults.floatForKey(SettingsKeys::transparency), 1.0f);
    EXPECT_EQ(defaults.floatForKey(SettingsKeys::scaleX), 1.0f);
    EXPECT_EQ(defaults.floatForKey(SettingsKeys::scaleY), 1.0f);
    EXPECT_EQ(defaults.floatForKey(SettingsKeys::posX), 0.0f);
    EXPECT_EQ(defaults.floatForKey(SettingsKeys::posY), 0.0f);
    EXPECT_FALSE(defaults.boolForKey(SettingsKeys::movieOnDesk));
    EXPECT_EQ(defaults.floatForKey(SettingsKeys::sleep), 5.0f);
    EXPECT_EQ(defaults.stringForKey(SettingsKeys::imagePath), "");
    EXPECT_EQ(defaults.floatForKey(SettingsKeys::imageCompression), 0.2f);
    EXPECT_EQ(defaults.floatForKey("NeverRegistered"), 0.0f);
}

TEST(UserDefaults, DamagedValuesFallBackKeyByKey) {
    FakeSettingsStore store;
    store.strings = {{"ScaleX", "1.5x"},
                     {"ScaleY", "nan"},
                     {"PosX", "-25"},
                     {"PosY", ""},
                     {"Sleep", "1e60"},
                     {"Transparency", " 0.5"},
                     {"ImageCompression", "0.75"},
                     {"MovieOnDesk", "yes"}};
    UserDefaults defaults(store);
    defaults.registerViewerDefaults();
    EXPECT_EQ(defaults.floatForKey(SettingsKeys::scaleX), 1.0f);
    EXPECT_EQ(defaults.floatForKey(SettingsKeys::scaleY), 1.0f);
    EXPECT_EQ(defaults.floatForKey(SettingsKeys::posX), -25.0f);
    EXPECT_EQ(defaults.floatForKey(SettingsKeys::posY), 0.0f);
    EXPECT_EQ(defaults.floatForKey(SettingsKeys::sleep), 5.0f);
    EXPECT_EQ(defaults.floatForKey(SettingsKeys::transparency), 1.0f);
    EXPECT_EQ(defaults.floatForKey(SettingsKeys::imageCompression), 0.75f);
    EXPECT_FALSE(defaults.boolForKey(SettingsKeys::movieOnDesk));
}

TEST(UserDefaults, WrittenValuesReadBackExactly) {
    FakeSettingsStore store;
    UserDefaults defaults(store);
    for (float value : {0.1f, -0.25f, 1.0f / 3.0f, std::numeric_limits<float>::min(), 3.4e38f}) {
        defaults.setFloat("F", value);
        EXPECT_EQ(defaults.floatForKey("F"), value) << store.strings["F"];
    }
    for (const char* text : {"true", "1"}) {
        store.strings["B"] = text;
        EXPECT_TRUE(defaults.boolForKey("B"));
    }
    defaults.setBool("B", false);
    EXPECT_FALSE(defaults.boolForKey("B"));
    defaults.setString("S", "/tmp/frames");
    EXPECT_EQ(defaults.stringForKey("S"), "/tmp/frames");
}

TEST(RecentDocuments, NewestFirstAtMostTenAndSurvivesARestart) {
    FakeSettingsStore store;
    {
        UserDefaults defaults(store);
        RecentDocuments recent(defaults);
        int changes = 0;
        const Connection counting = recent.changed.connect([&] { ++changes; });
        for (int i = 0; i < 12; ++i)
            recent.noteNewRecentDocumentURL("/m/" + std::to_string(i));
        recent.noteNewRecentDocumentURL("/m/5");
        EXPECT_EQ(changes, 13);
    }
    UserDefaults defaults(store);
    RecentDocuments recent(defaults);
    const auto paths = recent.recentDocumentPaths();
    ASSERT_EQ(paths.size(), 10u);
    EXPECT_EQ(paths[0], "/m/5");
    EXPECT_EQ(paths[1], "/m/11");
    EXPECT_EQ(paths[9], "/m/2");
    EXPECT_EQ(std::count(paths.begin(), paths.end(), "/m/5"), 1);

    recent.clear();
    EXPECT_TRUE(recent.recentDocumentPaths().empty());
}

} // namespace
} // namespace vistrel
