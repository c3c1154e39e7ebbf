#include "app/IdlePointer.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace vistrel {

IdlePointer::IdlePointer(QWidget& window, std::function<bool()> mayHide, int restMilliseconds)
    : QObject(&window), m_window(window), m_mayHide(std::move(mayHide)) {
    m_rest.setSingleShot(true);
    m_rest.setInterval(restMilliseconds);
    connect(&m_rest, &QTimer::timeout, this, &IdlePointer::hide);
    qApp->installEventFilter(this);
    m_rest.start();
}

// Movements over any widget of the window count, whichever widget is under the pointer.
bool IdlePointer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress) {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == &m_window) {
            show();
            m_rest.start();
        }
    }
    return false;
}

void IdlePointer::hide() {
    if (m_hidden)
        return;
    if (!m_mayHide()) {
        m_rest.start(); // look again later: the menu bar may go without the pointer moving
        return;
    }
    m_window.setCursor(Qt::BlankCursor);
    m_hidden = true;
}

void IdlePointer::show() {
    if (!m_hidden)
        return;
    m_window.unsetCursor();
    m_hidden = false;
}

} // namespace vistrel
