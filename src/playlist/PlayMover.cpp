#include "playlist/PlayMover.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace vistrel {

namespace {

// Qt places widgets from the top left; the handle's arithmetic works from the bottom
// left with y growing upwards. These two convert a rectangle between the two.
DividerDrag::Frame fromTopLeft(const QRect& rect, float height) {
    return {static_cast<float>(rect.x()), height - static_cast<float>(rect.y() + rect.height()),
            static_cast<float>(rect.width()), static_cast<float>(rect.height())};
}

QRect toTopLeft(const DividerDrag::Frame& frame, float height) {
    const float top = height - (frame.y + frame.height);
    return QRect(static_cast<int>(std::lround(frame.x)), static_cast<int>(std::lround(top)),
                 static_cast<int>(std::lround(frame.width)), static_cast<int>(std::lround(frame.height)));
}

constexpr int gripLength = 64;

} // namespace

PlayMover::PlayMover(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::SplitVCursor);
    setFixedHeight(handleHeight);
}

void PlayMover::setPanes(QWidget* tableView, QWidget* textView, int top, int bottomMargin) {
    m_tableView = tableView;
    m_textView = textView;
    m_top = top;
    m_bottomMargin = bottomMargin;
    placePanes();
}

// The first placement, once the window has a height: the text gets a third of the
// room below the top, the table the rest.
void PlayMover::placePanes() {
    QWidget* window = parentWidget();
    if (!window || !m_tableView || !m_textView)
        return;
    const int width = window->width();
    const int below = std::max(0, window->height() - m_top - m_bottomMargin - handleHeight);
    const int textHeight = below / 3;
    const int tableHeight = below - textHeight;
    m_tableView->setGeometry(0, m_top, width, tableHeight);
    setGeometry(0, m_top + tableHeight, width, handleHeight);
    m_textView->setGeometry(0, m_top + tableHeight + handleHeight, width, textHeight);
    // A window still being laid out may be tiny: place again once there is room for both.
    if (below >= 3 * static_cast<int>(DividerDrag::minimumPaneHeight))
        m_lastWindowHeight = window->height();
}

float PlayMover::windowHeight() const {
    return parentWidget() ? static_cast<float>(parentWidget()->height()) : 0.0f;
}

DividerDrag::Frame PlayMover::frameOf(const QWidget* widget) const {
    return fromTopLeft(widget->geometry(), windowHeight());
}

void PlayMover::setFrame(QWidget* widget, const DividerDrag::Frame& frame) const {
    widget->setGeometry(toTopLeft(frame, windowHeight()));
}

void PlayMover::windowDidResize() {
    QWidget* window = parentWidget();
    if (!window || !m_tableView || !m_textView)
        return;
    if (m_lastWindowHeight < 0) {
        placePanes();
        return;
    }
    const int height = window->height();
    const int gained = height - m_lastWindowHeight;
    m_lastWindowHeight = height;
    const int width = window->width();
    // Bottom-anchored panes move down with the bottom edge; the table stretches.
    m_textView->setGeometry(0, m_textView->y() + gained, width, m_textView->height());
    setGeometry(0, y() + gained, width, this->height());
    m_tableView->setGeometry(m_tableView->x(), m_tableView->y(), width,
                             std::max(0, m_tableView->height() + gained));
    DividerDrag::Frame table = m_drag.keptInside(frameOf(m_tableView), windowHeight());
    table.height = std::max(0.0f, table.height);
    setFrame(m_tableView, table);
}

float PlayMover::pointerHeight(const QMouseEvent* event) const {
    const QPointF inWindow = mapToParent(event->position());
    return windowHeight() - static_cast<float>(inWindow.y());
}

void PlayMover::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_tableView || !m_textView) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_drag.press({frameOf(this), frameOf(m_tableView), frameOf(m_textView)}, windowHeight());
    m_liveResize = false;
}

void PlayMover::firstEventOfDrag() {
    if (m_liveResize)
        return;
    m_liveResize = true;
    emit liveResizeStarted();
}

void PlayMover::mouseMoveEvent(QMouseEvent* event) {
    if (!m_drag.dragging() || !(event->buttons() & Qt::LeftButton))
        return;
    firstEventOfDrag();
    const DividerDrag::Frames frames = m_drag.dragTo(pointerHeight(event), windowHeight());
    setFrame(m_tableView, frames.upper);
    setFrame(m_textView, frames.lower);
    setFrame(this, frames.handle);
}

void PlayMover::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_drag.dragging())
        return;
    firstEventOfDrag(); // a press and release without movement still brackets the drag
    m_drag.release();
    m_liveResize = false;
    emit liveResizeEnded();
    update();
}

// A 64-pixel line one pixel above the middle, in the text colour of the window.
void PlayMover::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const float w = static_cast<float>(width());
    const float h = static_cast<float>(height());
    const int left = static_cast<int>(w * 0.5f) - gripLength / 2;
    const int bottomUp = static_cast<int>(h * 0.5f) + 1;
    painter.fillRect(QRect(left, height() - bottomUp - 1, gripLength, 1), palette().color(QPalette::WindowText));
}

} // namespace vistrel
