#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

namespace vistrel {

// Hides the pointer over a window after it has rested for a while, so it does not
// sit on the picture or movie being watched; any movement shows it again. While
// `mayHide` answers false (the menu bar is up, say) the pointer stays.
class IdlePointer : public QObject {
    Q_OBJECT
  public:
    static constexpr int defaultRestMilliseconds = 2000;

    IdlePointer(QWidget& window, std::function<bool()> mayHide, int restMilliseconds = defaultRestMilliseconds);

    bool isHidden() const { return m_hidden; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void hide();
    void show();

    QWidget& m_window;
    std::function<bool()> m_mayHide;
    QTimer m_rest;
    bool m_hidden = false;
};

} // namespace vistrel
