#include "app/KeyWindow.h"
#include "app/XScreenProbe.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <map>
#include <string>

namespace vistrel::test {
namespace {

bool usesUnscaledX(const std::map<std::string, std::string>& environment) {
    return XScreenProbe::toolkitUsesUnscaledX([&environment](const char* name) -> const char* {
        const auto found = environment.find(name);
        return found == environment.end() ? nullptr : found->second.c_str();
    });
}

TEST(XScreenProbe, AsksXOnlyWhenTheToolkitWillDrawOnItWithUnscaledPixels) {
    EXPECT_TRUE(usesUnscaledX({{"DISPLAY", ":0"}}));
    EXPECT_TRUE(usesUnscaledX({{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "wayland-0"}}));
    EXPECT_FALSE(usesUnscaledX({}));
    EXPECT_FALSE(usesUnscaledX({{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}}));
    EXPECT_FALSE(usesUnscaledX({{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "wayland"}}));
    EXPECT_FALSE(usesUnscaledX({{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "offscreen"}}));
    EXPECT_FALSE(usesUnscaledX({{"DISPLAY", ":0"}, {"QT_SCALE_FACTOR", "2"}}));
}

TEST(XScreenProbe, ReadsTheFontResolutionFromTheResourceDatabase) {
    EXPECT_EQ(XScreenProbe::fontDpi("Xcursor.size:\t24\nXft.dpi:\t120\nXft.hinting:\t1\n"), 120.0);
    EXPECT_EQ(XScreenProbe::fontDpi("Xft.dpi: 96"), 96.0);
    EXPECT_FALSE(XScreenProbe::fontDpi("Xft.antialias:\t1\n"));
    EXPECT_FALSE(XScreenProbe::fontDpi("Xft.dpi:\tlarge\n"));
}

// Run on an X server of its own (gui.xvfb.XScreenProbe); skipped on the offscreen platform.
TEST(XScreenProbe, AgreesWithTheToolkitOnARealXServer) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server";
    XScreenProbe probe;
    probe.toolkitConnected();
    const std::optional<Size> probed = probe.primaryScreenSize();
    ASSERT_TRUE(probed);
    EXPECT_EQ(*probed, KeyWindow::deepestScreenSize());
}

} // namespace
} // namespace vistrel::test
