#pragma once

#include <QWidget>
#include <functional>

namespace vistrel {

// An invisible strip along the top edge of the main window. Moving the pointer into
// it calls `entered` once per entry. The strip lets every click through to the view
// beneath, so it watches the pointer over the whole window instead of taking
// mouse events itself.
class MenuStrip : public QWidget {
    Q_OBJECT
  public:
    MenuStrip(QWidget* window, std::function<void()> entered);

    void setStripHeight(int height);
    int stripHeight() const { return m_height; }
    // Keeps the strip as wide as the window.
    void followWindowWidth();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void track(QPointF globalPosition);

    std::function<void()> m_entered;
    int m_height = 0;
    bool m_inside = false; // the pointer is assumed outside until seen inside
};

} // namespace vistrel
