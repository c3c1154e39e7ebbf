#pragma once

namespace vistrel {

class MainWindow;
class PictureView;
class Placement;

// The two bars over the item: the main window's menu bar and the movie's control bar.
class BarToggles {
  public:
    BarToggles(MainWindow& window, PictureView& view, Placement& placement);

    void toggleMenuBar();
    // The pointer reached the strip at the top: a hidden menu bar comes back.
    void pointerEnteredMenuStrip();
    // The control bar takes the keys while it is shown; the view gets them back after.
    void toggleMovieControls();

  private:
    MainWindow& m_window;
    PictureView& m_view;
    Placement& m_placement;
};

} // namespace vistrel
