#pragma once

#include "core/geometry/ItemLayout.h"
#include "core/view/ViewGeometry.h"

namespace vistrel {

class MainWindow;
class PictureView;
class ShownMovie;
class UserDefaults;

// Where and how the item sits on the screen: its scale and position (the geometry
// values), the main window's opacity and its level. Every change of the geometry lays
// the view out again.
class Placement : public ViewGeometry {
  public:
    Placement(const ShownMovie& movie, MainWindow& window, PictureView& view);

    // The stored geometry, opacity and level, as the start-up reads them.
    void restore(const UserDefaults& defaults);
    // Before anything is shown the view covers the screen.
    void fillScreen();
    // Lays the view out for the item on screen.
    void scale();

    float scaleX() const override { return m_geometry.scaleX; }
    float scaleY() const override { return m_geometry.scaleY; }
    float posX() const override { return m_geometry.posX; }
    float posY() const override { return m_geometry.posY; }
    void setScaleX(float value) override;
    void setScaleY(float value) override;
    void setPosX(float value);
    void setPosY(float value);
    void setPosXY(float x, float y) override;

    // One step of the menu commands; a positive direction moves right or up, or grows.
    void stepPosX(int direction);
    void stepPosY(int direction);
    void stepScaleX(int direction);
    void stepScaleY(int direction);

    void setTransparency(float alpha);
    void setDeskMovie(bool onDesktop);

  private:
    const ShownMovie& m_movie;
    MainWindow& m_window;
    PictureView& m_view;
    GeometryValues m_geometry;
};

} // namespace vistrel
