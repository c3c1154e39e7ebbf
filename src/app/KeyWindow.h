#pragma once

#include "core/events/Signal.h"
#include "core/platform/MainWindow.h"

#include <QWidget>

#include <string>
#include <vector>

class QMenuBar;
class QScreen;

namespace vistrel {

class MenuStrip;

// The borderless main window, as large as the deepest screen. Its content holds the
// picture view and the status overlay; the menu bar lies over the top of the content
// without shrinking it. The window takes the keyboard focus although it has no title
// bar, and takes files and folders dropped on it.
class KeyWindow : public QWidget, public MainWindow {
    Q_OBJECT
  public:
    explicit KeyWindow(QWidget* parent = nullptr);
    ~KeyWindow() override;

    // The screen with the greatest colour depth; the primary screen on ties.
    static QScreen* deepestScreen();
    // The size of the screen the window covers; known as soon as the application is.
    static Size deepestScreenSize();

    // The view made first responder; a child of content(). Not owned.
    void setView(QWidget* view) { m_view = view; }

    QWidget* content() const { return m_content; }
    QMenuBar* menuBar() const { return m_menuBar; }
    const MenuStrip* menuStrip() const { return m_menuStrip; }

    // --- MainWindow
    void setOpacity(float alpha) override;
    void setDesktopLevel(bool onDesktop) override;
    bool isDesktopLevel() const override;
    bool menuBarVisible() const override;
    void setMenuBarVisible(bool visible) override;
    float menuBarHeight() const override;
    Size screenSize() const override;
    void makeKeyAndOrderFront() override;
    void makeViewFirstResponder() override;
    void installMenuStrip(int height) override;

    // The pointer entered the strip at the top of the screen.
    Signal<> menuStripEntered;
    // Files and folders dropped on the window, once the drag source was released.
    Signal<std::vector<std::string>> filesDropped;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void fitToScreen();
    void useActiveColoursWhenInactive();
    void showCoveringScreen();
    void layOutChildren();

    QWidget* m_view = nullptr;
    QWidget* m_content;
    QMenuBar* m_menuBar;
    MenuStrip* m_menuStrip = nullptr;
};

} // namespace vistrel
