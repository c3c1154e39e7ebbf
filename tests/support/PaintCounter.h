#pragma once

#include <QEvent>
#include <QObject>

namespace vistrel::test {

// Counts the paint events a widget receives (install it as the widget's event filter).
class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace vistrel::test
