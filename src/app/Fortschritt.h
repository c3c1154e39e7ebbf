#pragma once

#include <QObject>
#include <memory>

class QProgressBar;
class QWidget;

namespace vistrel {

// A small window with one progress bar, `wieWeit`. Its window ("fortschritt") is
// built the first time it is needed.
class Fortschritt : public QObject {
    Q_OBJECT
  public:
    explicit Fortschritt(QObject* parent = nullptr);
    ~Fortschritt() override;

    // The window, built now if it was not yet.
    QWidget* window();
    // Run once the window is built: the bar starts empty and determinate.
    void windowDidLoad();
    // The bar's value, in the bar's own range (0..100).
    void setFortschritt(float value);
    // Empties the bar and closes the window.
    void Stop(QObject* sender = nullptr);

    // nullptr until the window is built.
    QProgressBar* wieWeit = nullptr;

  private:
    std::unique_ptr<QWidget> m_window;
};

} // namespace vistrel
