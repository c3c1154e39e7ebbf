#pragma once

namespace vistrel {

// The controller's geometry values as the picture view's gestures change them.
// Every setter lays the view out again, so the view may move under the pointer.
class ViewGeometry {
  public:
    virtual ~ViewGeometry() = default;

    virtual float scaleX() const = 0;
    virtual float scaleY() const = 0;
    virtual float posX() const = 0;
    virtual float posY() const = 0;
    virtual void setScaleX(float value) = 0;
    virtual void setScaleY(float value) = 0;
    virtual void setPosXY(float x, float y) = 0;
};

} // namespace vistrel
