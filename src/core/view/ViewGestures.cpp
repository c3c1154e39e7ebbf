#include "core/view/ViewGestures.h"

#include "core/geometry/ItemLayout.h"
#include "core/view/ViewGeometry.h"

namespace vistrel {

void ViewGestures::beginDrag(Size viewSize) {
    m_size = viewSize;
    m_reference.reset();
    m_dragging = true;
}

void ViewGestures::dragTo(Point p, bool shift, ViewGeometry& geometry) {
    if (!m_dragging)
        return;
    if (!m_reference)
        m_reference = p;
    const Point r = *m_reference;
    if (shift) {
        // Difference and quotient in 32 bits, sum and product in 64, rounded back.
        const float relative = (p.x - r.x) / m_size.width;
        const double s = geometry.scaleX();
        geometry.setScaleX(static_cast<float>(s * (1.0 + relative)));
        m_reference = p;
        return;
    }
    const float x = geometry.posX() + (p.x - r.x) / m_size.width;
    const float y = geometry.posY() + (p.y - r.y) / m_size.height;
    geometry.setPosXY(x, y);
}

void ViewGestures::endDrag() {
    m_dragging = false;
    m_reference.reset();
}

double ViewGestures::wheelFactor(float deltaX, float deltaY) {
    if (deltaX > 0.0f)
        return growFactor;
    if (deltaY > 0.0f)
        return growFactor;
    return shrinkFactor;
}

void ViewGestures::wheel(float deltaX, float deltaY, bool alt, ViewGeometry& geometry) {
    const double factor = wheelFactor(deltaX, deltaY);
    if (alt)
        geometry.setScaleY(multiplyStep(geometry.scaleY(), factor));
    else
        geometry.setScaleX(multiplyStep(geometry.scaleX(), factor));
}

} // namespace vistrel
