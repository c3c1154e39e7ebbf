#pragma once

#include "display/CInfoView.h"
#include "core/overlay/OverlaySurface.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace vistrel {

// The status text's place on screen, drawn by a CInfoView at the fade's opacity:
// - Window: a frameless, screen-sized, translucent window in front of everything,
//   transparent for input and never focused. Needs a compositing desktop.
// - Layer: a translucent child of the main window over its content, transparent for
//   the mouse. Looks right on any X server.
// Either way the item stays visible under the text.
class CInfoSurface : public QObject, public OverlaySurface {
    Q_OBJECT
  public:
    enum class Kind { Window, Layer };

    // `mainWindow` is the window to layer over (Layer) or whose screen to cover
    // (Window); not owned. Layer needs a main window.
    CInfoSurface(Kind kind, QWidget* mainWindow);
    ~CInfoSurface() override;

    void setText(const std::string& text) override;
    void setOpacity(float opacity) override;
    void orderFront() override;
    void orderOut() override;
    void display() override;

    Kind kind() const { return m_kind; }
    CInfoView* view() const { return m_view; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void coverTarget(CInfoView& view);

    Kind m_kind;
    QPointer<QWidget> m_mainWindow;
    // A layer is also a Qt child of the main window, which may delete it first.
    QPointer<CInfoView> m_view;
};

} // namespace vistrel
