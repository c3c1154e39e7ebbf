#include "display/ControllerGeometry.h"

#include "core/controller/VistrelController.h"

namespace vistrel {

float ControllerGeometry::scaleX() const {
    return m_controller.scaleX();
}
float ControllerGeometry::scaleY() const {
    return m_controller.scaleY();
}
float ControllerGeometry::posX() const {
    return m_controller.posX();
}
float ControllerGeometry::posY() const {
    return m_controller.posY();
}
void ControllerGeometry::setScaleX(float value) {
    m_controller.setScaleX(value);
}
void ControllerGeometry::setScaleY(float value) {
    m_controller.setScaleY(value);
}
void ControllerGeometry::setPosXY(float x, float y) {
    m_controller.setPosXY(x, y);
}

} // namespace vistrel
