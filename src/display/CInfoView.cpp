#include "display/CInfoView.h"

#include <QApplication>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

namespace vistrel {

namespace {

// Each product is formed in 64 bits from the 32-bit size and rounded back to 32 bits.
float scaled(double factor, float value) {
    return static_cast<float>(factor * value);
}

} // namespace

CInfoView::CInfoView(QWidget* parent) : QWidget(parent), m_font(QStringLiteral("Helvetica")) {
    m_font.setPixelSize(fontPixelSize(size()));
}

void CInfoView::setOpacity(qreal opacity) {
    m_opacity = opacity;
    update();
}

QRectF CInfoView::textRect(QSize size) {
    const auto w = static_cast<float>(size.width());
    const auto h = static_cast<float>(size.height());
    // Measured from the bottom-left: origin (0.1 w, 0.1 h), size (0.9 w, 0.8 h). Its top
    // edge is then 0.1 h below the view's top.
    const float height = scaled(0.8, h);
    const float bottom = scaled(0.1, h);
    return QRectF(scaled(0.1, w), h - bottom - height, scaled(0.9, w), height);
}

int CInfoView::fontPixelSize(QSize size) {
    const float points = scaled(0.075, scaled(0.8, static_cast<float>(size.height())));
    return std::max(1, qRound(points));
}

void CInfoView::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter painter(this);
    painter.setOpacity(m_opacity);
    // The standard window background, not the main window's own (black) one that a
    // layer would otherwise inherit.
    painter.fillRect(rect(), QApplication::palette(this).color(QPalette::Window));
    painter.setFont(m_font);
    painter.setPen(Qt::black);
    painter.drawText(textRect(size()), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_String);
}

void CInfoView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_font.setPixelSize(fontPixelSize(event->size()));
}

} // namespace vistrel
