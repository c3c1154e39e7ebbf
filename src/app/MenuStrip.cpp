#include "app/MenuStrip.h"

#include <QApplication>
#include <QMouseEvent>

namespace vistrel {

MenuStrip::MenuStrip(QWidget* window, std::function<void()> entered)
    : QWidget(window), m_entered(std::move(entered)) {
    setObjectName(QStringLiteral("menuStrip"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    window->setMouseTracking(true);
    qApp->installEventFilter(this);
}

void MenuStrip::setStripHeight(int height) {
    m_height = height;
    followWindowWidth();
    show();
}

void MenuStrip::followWindowWidth() {
    setGeometry(0, 0, parentWidget()->width(), m_height);
}

// Sees the pointer moving over any widget of the window, whatever widget is under it.
// Only movements count: the window appearing under a resting pointer is no entry.
bool MenuStrip::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseMove)
        return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    const auto* move = static_cast<QMouseEvent*>(event);
    // A drag in the view passing the strip is no entry either.
    if (widget && widget->window() == parentWidget() && move->buttons() == Qt::NoButton)
        track(move->globalPosition());
    return false;
}

void MenuStrip::track(QPointF globalPosition) {
    const bool inside =
        m_height > 0 && geometry().contains(parentWidget()->mapFromGlobal(globalPosition).toPoint());
    const bool entering = inside && !m_inside;
    m_inside = inside;
    if (entering && m_entered)
        m_entered();
}

} // namespace vistrel
