#pragma once

#include <string>

namespace vistrel {

// What the settings window's edits change at once, while the user edits. Scale and
// placement are read back from here: the zoom keys and the mouse change them too.
// Placement is in fractions of the room beside the item.
class PreferenceTarget {
  public:
    virtual ~PreferenceTarget() = default;

    virtual void setTransparency(float alpha) = 0;
    virtual float scaleX() const = 0;
    virtual float scaleY() const = 0;
    virtual float posX() const = 0;
    virtual float posY() const = 0;
    virtual void setScaleX(float value) = 0;
    virtual void setScaleY(float value) = 0;
    virtual void setPosX(float value) = 0;
    virtual void setPosY(float value) = 0;
    virtual void setDeskMovie(bool onDesktop) = 0;
    virtual void setSleep(float seconds) = 0;
    virtual void setImageCompression(float factor) = 0;
    virtual void setImagePath(const std::string& path) = 0;
};

} // namespace vistrel
