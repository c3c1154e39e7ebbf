#include "app/ViewerStyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vistrel {

namespace {

// Two chevrons pointing on, as the toolkit's own icon shows them.
QIcon overflowIcon(const QColor& colour) {
    constexpr int side = 16;
    QPixmap pixels(side, side);
    pixels.fill(Qt::transparent);
    QPainter painter(&pixels);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.5));
    QPainterPath chevrons;
    for (const qreal left : {4.0, 9.0}) {
        chevrons.moveTo(left, 4.0);
        chevrons.lineTo(left + 3.5, 8.0);
        chevrons.lineTo(left, 12.0);
    }
    painter.drawPath(chevrons);
    return QIcon(pixels);
}

} // namespace

QIcon ViewerStyle::standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const {
    if (icon == SP_ToolBarHorizontalExtensionButton)
        return overflowIcon(standardPalette().color(QPalette::WindowText));
    return QProxyStyle::standardIcon(icon, option, widget);
}

} // namespace vistrel
