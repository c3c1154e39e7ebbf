#pragma once

#include "geometry/Geometry.h"
#include "view/PictureView.h"
#include "view/ViewGestures.h"

#include <QImage>
#include <QSize>
#include <QWidget>
#include <memory>

namespace vistrel {

class MovieControlBar;
class MpvFrameRenderer;
class QtPicture;
class ViewGeometry;
class VistrelController;

// The one view of the main window: a picture drawn upright by its orientation and
// stretched over the view, or the frames of a movie, on black. Drags move the item
// (Shift: scale it) and wheel turns scale it, through the controller's geometry,
// which lays the view out again. The bottom strip belongs to the movie control bar.
//
// Holds a picture or a movie, never both. The frame renderer is owned here and is
// always destroyed before the movie it draws.
class VistrelView : public QWidget, public PictureView {
    Q_OBJECT
  public:
    explicit VistrelView(QWidget* parent = nullptr);
    ~VistrelView() override;

    // The controller is built after the view; not owned.
    void setMovieController(VistrelController* controller);
    // What drags and wheel turns change; nullptr: they change nothing.
    void setGeometryTarget(std::unique_ptr<ViewGeometry> target);

    void setCiImage(std::shared_ptr<Picture> picture) override;
    std::shared_ptr<Picture> ciImage() const override { return m_ciImage; }
    void setMovie(std::shared_ptr<Movie> movie) override;
    const std::shared_ptr<Movie>& movie() const { return m_movie; }

    void setOrientation(int orientation) override;
    int orientation() const override { return m_orientation; }

    void setFrame(Rect frame) override;
    Rect frame() const override;

    void setControllerVisible(bool visible) override;
    bool isControllerVisible() const override;
    void setEditable(bool editable) override { m_editable = editable; }
    bool isEditable() const { return m_editable; }
    void setShowsResizeIndicator(bool shows) override { m_showsResizeIndicator = shows; }
    bool showsResizeIndicator() const { return m_showsResizeIndicator; }
    void play() override;

    void setFirstResponder(bool flag) override { m_firstResponder = flag; }
    bool firstResponder() const override { return m_firstResponder; }

    MovieControlBar* controlBar() const { return m_controlBar; }

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    QtPicture* qtPicture() const;
    void paintPicture(QPainter& painter);
    void paintMovie(QPainter& painter);
    QSize movieRenderSize() const;
    void ensurePictureResolution();
    void placeInParent();
    void placeControlBar();
    Point viewPoint(QPointF qtPosition) const;

    std::shared_ptr<Picture> m_ciImage;
    std::shared_ptr<Movie> m_movie;
    // Declared after m_movie so that it is destroyed first.
    std::unique_ptr<MpvFrameRenderer> m_renderer;
    QImage m_movieFrame;
    bool m_movieFrameStale = true;
    std::unique_ptr<ViewGeometry> m_geometry;
    MovieControlBar* m_controlBar;
    ViewGestures m_gestures;
    Rect m_frame;
    bool m_hasFrame = false;
    // The stored-orientation size last asked of the picture, so a size is asked once.
    QSize m_askedResolution;
    int m_orientation = 1;
    bool m_firstResponder = false;
    bool m_editable = false;
    bool m_showsResizeIndicator = true;
};

} // namespace vistrel
