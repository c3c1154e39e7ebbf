#pragma once

#include "core/playlist/DividerDrag.h"

#include <QWidget>

namespace vistrel {

// The handle between the play list table (above) and the information text (below):
// dragging it shares the height between them, neither pane lower than 16 pixels,
// and it keeps the table's top edge inside the window when the window is resized.
// The handle and both panes are children of the same parent, placed by hand: the
// handle, not a layout, owns their heights.
class PlayMover : public QWidget {
    Q_OBJECT
  public:
    static constexpr int handleHeight = 9;

    explicit PlayMover(QWidget* parent = nullptr);

    // The two panes whose frames the handle moves; neither is owned. They are placed
    // as soon as the window has a height: the text takes a third of what lies below
    // `top`, the table the rest.
    void setPanes(QWidget* tableView, QWidget* textView, int top = 0, int bottomMargin = 0);
    // The play list window passes on every resize of itself. Like a window's
    // autoresizing: every width follows the window, the text and the handle keep their
    // distance from the bottom, the table takes the height gained or lost, and its top
    // stays inside the window.
    void windowDidResize();

    const DividerDrag& drag() const { return m_drag; }

  signals:
    // Before and after a series of frame changes made while the user drags.
    void liveResizeStarted();
    void liveResizeEnded();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void placePanes();
    float windowHeight() const;
    DividerDrag::Frame frameOf(const QWidget* widget) const;
    void setFrame(QWidget* widget, const DividerDrag::Frame& frame) const;
    float pointerHeight(const QMouseEvent* event) const;
    void firstEventOfDrag();

    QWidget* m_tableView = nullptr;
    QWidget* m_textView = nullptr;
    DividerDrag m_drag;
    bool m_liveResize = false;
    int m_lastWindowHeight = -1; // -1 until the panes were placed in a window with room
    int m_top = 0;
    int m_bottomMargin = 0;
};

} // namespace vistrel
