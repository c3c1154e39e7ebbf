#pragma once

#include "core/platform/MainWindow.h"

namespace vistrel::test {

class FakeMainWindow : public MainWindow {
  public:
    void setOpacity(float alpha) override { opacity = alpha; }
    void setDesktopLevel(bool onDesktop) override { desktopLevel = onDesktop; }
    bool isDesktopLevel() const override { return desktopLevel; }
    bool menuBarVisible() const override { return menuBar; }
    void setMenuBarVisible(bool visible) override { menuBar = visible; }
    float menuBarHeight() const override { return barHeight; }
    Size screenSize() const override { return screen; }
    void makeKeyAndOrderFront() override { ++orderedFront; }
    void makeViewFirstResponder() override { ++viewMadeFirstResponder; }
    void installMenuStrip(int height) override { stripHeight = height; }

    float opacity = -1.0f;
    bool desktopLevel = false;
    bool menuBar = false;
    float barHeight = 22.0f;
    Size screen{1280.0f, 800.0f};
    int orderedFront = 0;
    int viewMadeFirstResponder = 0;
    int stripHeight = -1;
};

} // namespace vistrel::test
