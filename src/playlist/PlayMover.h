#pragma once

#include <QWidget>

namespace vistrel {

// The handle between the play list table (above) and the information text (below):
// dragging it shares the height between them, neither pane lower than 16 pixels,
// and it keeps the table's top edge inside the window when the window is resized.
class PlayMover : public QWidget {
    Q_OBJECT
  public:
    explicit PlayMover(QWidget* parent = nullptr);

    // The two panes whose frames the handle moves; neither is owned.
    void setPanes(QWidget* tableView, QWidget* textView);
    // The play list window passes on every resize of itself.
    void windowDidResize();

  private:
    QWidget* m_tableView = nullptr;
    QWidget* m_textView = nullptr;
};

} // namespace vistrel
