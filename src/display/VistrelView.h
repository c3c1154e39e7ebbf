#pragma once

#include "core/geometry/Geometry.h"
#include "core/view/PictureView.h"
#include "core/view/ViewGestures.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <memory>

namespace vistrel {

class MovieControlBar;
class MovieFrames;
class PictureImage;
class PictureResolution;
class ViewGeometry;

// The one view of the main window: a picture drawn upright by its orientation and
// stretched over the view, or the frames of a movie, on black. Drags move the item
// (Shift: scale it) and wheel turns scale it, through the viewer's geometry,
// which lays the view out again. The bottom strip belongs to the movie control bar.
//
// Holds a picture or a movie, never both. The frame renderer is owned here and is
// always destroyed before the movie it draws.
class VistrelView : public QWidget, public PictureView {
    Q_OBJECT
  public:
    explicit VistrelView(QWidget* parent = nullptr);
    ~VistrelView() override;

    // What drags and wheel turns change; nullptr: they change nothing. Not owned: it
    // must outlive the view or be withdrawn first.
    void setGeometryTarget(ViewGeometry* target);
    // Where more pixels of a zoomed picture come from (not owned); nullptr: nowhere, the
    // picture is drawn at the resolution it came with.
    void setPictureResolution(PictureResolution* resolution) { m_resolution = resolution; }

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
    // The movie can be neither edited nor resized by a grip here: both are accepted and change nothing.
    void setEditable(bool /*editable*/) override {}
    void setShowsResizeIndicator(bool /*shows*/) override {}
    void play() override;

    void setFirstResponder(bool flag) override { m_firstResponder = flag; }
    bool firstResponder() const override { return m_firstResponder; }

    // The movie controls, made the first time they are wanted: their icons and texts
    // cost a launch that only shows a picture several milliseconds.
    MovieControlBar* controlBar();

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
    // What the turned picture was drawn for; any change draws it again.
    struct TurnedPictureKey {
        qint64 image = 0;
        int orientation = 0;
        QSize viewSize;
        QRect area;
        qreal ratio = 0.0;
        friend bool operator==(const TurnedPictureKey&, const TurnedPictureKey&) = default;
    };

    const PictureImage* shownPixels() const;
    const QImage& turnedPicture();
    QRect visibleArea() const;
    void copyTurnedPicture(QPainter& painter, const QRect& area) const;
    void drawUpright(QPainter& painter, const QImage& image, QSizeF viewSize) const;
    void paintMovie(QPainter& painter);
    QSize movieRenderSize() const;
    void fitContents();
    void ensurePictureResolution();
    void showMoreResolution(const std::weak_ptr<Picture>& asked, std::shared_ptr<Picture> more);
    void placeInParent();
    void placeControlBar();
    Point viewPoint(QPointF qtPosition) const;

    std::shared_ptr<Picture> m_ciImage;
    std::shared_ptr<Movie> m_movie;
    // Declared after m_movie so that it is destroyed first.
    std::unique_ptr<MovieFrames> m_renderer;
    QImage m_movieFrame;
    bool m_movieFrameStale = true;
    // The visible part of the picture as painted, in device pixels, so that repaints only copy it.
    QImage m_turnedPicture;
    TurnedPictureKey m_turnedKey;
    // What was last painted straight onto the window, before any copy was kept.
    TurnedPictureKey m_paintedKey;
    ViewGeometry* m_geometry = nullptr;
    MovieControlBar* m_controlBar = nullptr;
    ViewGestures m_gestures;
    Rect m_frame;
    bool m_hasFrame = false;
    // The stored-orientation size last asked of the picture, so a size is asked once.
    QSize m_askedResolution;
    PictureResolution* m_resolution = nullptr;
    int m_orientation = 1;
    bool m_firstResponder = false;
};

} // namespace vistrel
