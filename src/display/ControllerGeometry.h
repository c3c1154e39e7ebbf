#pragma once

#include "core/view/ViewGeometry.h"

namespace vistrel {

class VistrelController;

// The controller's geometry values as the picture view changes them. Refers to the
// controller without owning it; the controller outlives the view's gestures.
class ControllerGeometry : public ViewGeometry {
  public:
    explicit ControllerGeometry(VistrelController& controller) : m_controller(controller) {}

    float scaleX() const override;
    float scaleY() const override;
    float posX() const override;
    float posY() const override;
    void setScaleX(float value) override;
    void setScaleY(float value) override;
    void setPosXY(float x, float y) override;

  private:
    VistrelController& m_controller;
};

} // namespace vistrel
