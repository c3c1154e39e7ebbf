#include "display/VistrelView.h"

#include "core/media/Movie.h"
#include "core/media/Picture.h"
#include "core/view/OrientationTransform.h"
#include "core/view/PictureResolution.h"
#include "core/view/ViewGeometry.h"
#include "display/MovieControlBar.h"
#include "media/movies/MovieFrameSource.h"
#include "media/pictures/PictureImage.h"
#include "media/support/LogCategories.h"

#include <QEvent>
#include <QFile>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWheelEvent>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vistrel {

namespace {

// Widget coordinates beyond this are meaningless to Qt (and overflow int on rounding).
constexpr double coordinateLimit = QWIDGETSIZE_MAX;

int roundedCoordinate(double value) {
    return static_cast<int>(std::lround(std::clamp(value, -coordinateLimit, coordinateLimit)));
}

QTransform qtTransform(const AffineMap& m) {
    return QTransform(m.m11, m.m12, m.m21, m.m22, m.dx, m.dy);
}

} // namespace

VistrelView::VistrelView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (parent)
        parent->installEventFilter(this);
}

VistrelView::~VistrelView() {
    if (m_controlBar)
        m_controlBar->setMovie(nullptr);
    m_renderer.reset();
}

void VistrelView::setGeometryTarget(ViewGeometry* target) {
    m_gestures.endDrag();
    m_geometry = target;
}

void VistrelView::setCiImage(std::shared_ptr<Picture> picture) {
    if (picture == m_ciImage)
        return;
    setMovie(nullptr);
    m_ciImage = std::move(picture);
    // The resolution is asked for when the view is laid out for the picture, which follows.
    m_askedResolution = QSize();
    update();
}

void VistrelView::setMovie(std::shared_ptr<Movie> movie) {
    if (movie && movie == m_movie)
        return; // a second renderer would take the movie's only frame callback from the first
    // Attach first, so that a movie that cannot be shown leaves the view as it was.
    std::unique_ptr<MovieFrames> renderer;
    if (movie) {
        MovieFrameSource* source = movie->frameSource();
        if (!source)
            throw std::runtime_error("The view cannot draw this kind of movie");
        renderer = source->frames();
        renderer->setFrameReadyCallback([this] {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_movieFrameStale = true;
                    update();
                },
                Qt::QueuedConnection);
        });
    }
    if (m_controlBar)
        m_controlBar->setMovie(movie.get());
    m_renderer = std::move(renderer); // the old renderer goes before the old movie
    m_movie = std::move(movie);
    m_movieFrame = QImage();
    m_movieFrameStale = true;
    m_ciImage.reset();
    m_turnedPicture = QImage();
    update();
}

void VistrelView::setOrientation(int orientation) {
    m_orientation = orientation;
    // A turn swaps the axes the resolution is asked in; the next layout asks again.
    m_askedResolution = QSize();
    update();
}

void VistrelView::setFrame(Rect frame) {
    m_frame = frame;
    m_hasFrame = true;
    const QSize before = size();
    placeInParent();
    // A shown view whose size changed has fitted its contents in its resize event. A hidden
    // one gets that event only when shown, and a new picture in a view of the same size
    // still needs its resolution.
    if (!isVisible() || size() == before)
        fitContents();
}

Rect VistrelView::frame() const {
    if (m_hasFrame)
        return m_frame;
    const int parentHeight = parentWidget() ? parentWidget()->height() : height();
    const QRect g = geometry();
    return Rect{static_cast<float>(g.x()), static_cast<float>(parentHeight - g.y() - g.height()),
                static_cast<float>(g.width()), static_cast<float>(g.height())};
}

void VistrelView::placeInParent() {
    if (!m_hasFrame || !std::isfinite(m_frame.x) || !std::isfinite(m_frame.y) ||
        !std::isfinite(m_frame.width) || !std::isfinite(m_frame.height))
        return;
    const QScreen* onScreen = screen();
    const double parentHeight =
        parentWidget() ? parentWidget()->height() : (onScreen ? onScreen->geometry().height() : 0);
    // Lower-left origin to Qt's top-left: the top edge lies frame.y + height below the parent's top.
    const double top = parentHeight - (static_cast<double>(m_frame.y) + m_frame.height);
    const int left = roundedCoordinate(m_frame.x);
    const int right = roundedCoordinate(static_cast<double>(m_frame.x) + m_frame.width);
    const int qtTop = roundedCoordinate(top);
    const int bottom = roundedCoordinate(top + m_frame.height);
    setGeometry(left, qtTop, std::max(0, right - left), std::max(0, bottom - qtTop));
}

MovieControlBar* VistrelView::controlBar() {
    if (!m_controlBar) {
        m_controlBar = new MovieControlBar(this);
        m_controlBar->hide();
        m_controlBar->setMovie(m_movie.get());
        placeControlBar();
    }
    return m_controlBar;
}

void VistrelView::setControllerVisible(bool visible) {
    if (!visible && !m_controlBar)
        return;
    if (visible) {
        placeControlBar();
        controlBar()->raise();
    }
    controlBar()->setVisible(visible);
}

bool VistrelView::isControllerVisible() const {
    return m_controlBar && !m_controlBar->isHidden();
}

void VistrelView::play() {
    if (m_movie)
        m_movie->play();
    if (m_controlBar)
        m_controlBar->refresh();
}

bool VistrelView::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange) {
        if (parentWidget())
            parentWidget()->installEventFilter(this);
        placeInParent();
    }
    return QWidget::event(event);
}

bool VistrelView::eventFilter(QObject* watched, QEvent* event) {
    // The frame is kept from the parent's bottom edge, so a resized parent moves the view.
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        placeInParent();
    return QWidget::eventFilter(watched, event);
}

void VistrelView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    if (!turnedPicture().isNull() && m_turnedKey.area.contains(area)) {
        copyTurnedPicture(painter, area);
        return;
    }
    painter.fillRect(area, Qt::black);
    const PictureImage* picture = shownPixels();
    // A picture gets here only for a grab of more than the window shows.
    if (picture && !picture->image().isNull())
        drawUpright(painter, picture->image(), QSizeF(size()));
    else if (m_renderer)
        paintMovie(painter);
}

const PictureImage* VistrelView::shownPixels() const {
    return m_ciImage ? m_ciImage->pixels() : nullptr;
}

// The part of the view the window shows, drawn once per picture, held resolution,
// orientation, view size and visible part: the overlay fading over the view repaints it
// dozens of times per message, and those repaints only copy it. A zoomed-in view may be far
// larger than the window, so only the visible part is kept.
const QImage& VistrelView::turnedPicture() {
    const PictureImage* picture = shownPixels();
    const QRect area = visibleArea();
    if (!picture || picture->image().isNull() || area.isEmpty())
        return m_turnedPicture = QImage();
    const qreal ratio = devicePixelRatioF();
    const TurnedPictureKey key{picture->image().cacheKey(), m_orientation, size(), area, ratio};
    if (!m_turnedPicture.isNull() && key == m_turnedKey)
        return m_turnedPicture;
    // The first paint of a picture draws it straight onto the window: building the copy
    // first would hold the picture's appearance by a pass over a screen of fresh memory.
    // The copy is made when the same picture is painted again.
    if (!(key == m_paintedKey)) {
        m_paintedKey = key;
        return m_turnedPicture = QImage();
    }

    const QSize pixels(qCeil(area.width() * ratio), qCeil(area.height() * ratio));
    QImage turned(pixels, QImage::Format_RGB32);
    if (turned.isNull()) { // no memory for it
        qCWarning(lcView) << "no memory to draw the picture at" << pixels;
        return m_turnedPicture = QImage();
    }
    turned.fill(Qt::black);
    QPainter painter(&turned);
    painter.translate(-area.x() * ratio, -area.y() * ratio);
    drawUpright(painter, picture->image(), QSizeF(size()) * ratio);
    painter.end();
    turned.setDevicePixelRatio(ratio);
    m_turnedPicture = std::move(turned);
    m_turnedKey = key;
    return m_turnedPicture;
}

// The view's rectangle less what its ancestors cut off: the part the window can show.
QRect VistrelView::visibleArea() const {
    QRect area = rect();
    for (const QWidget* child = this; !child->isWindow() && child->parentWidget();
         child = child->parentWidget()) {
        const QWidget* parent = child->parentWidget();
        area &= QRect(mapFrom(parent, QPoint(0, 0)), parent->size());
    }
    return area;
}

void VistrelView::copyTurnedPicture(QPainter& painter, const QRect& area) const {
    const qreal ratio = m_turnedPicture.devicePixelRatio();
    const QPointF source = QPointF(area.topLeft() - m_turnedKey.area.topLeft()) * ratio;
    painter.drawImage(QPointF(area.topLeft()), m_turnedPicture, QRectF(source, QSizeF(area.size()) * ratio));
}

// Draws `image` turned upright by the orientation and stretched over a view of `viewSize`
// in the painter's coordinates.
void VistrelView::drawUpright(QPainter& painter, const QImage& image, QSizeF viewSize) const {
    const Size source{static_cast<float>(image.width()), static_cast<float>(image.height())};
    const Size target{static_cast<float>(viewSize.width()), static_cast<float>(viewSize.height())};
    painter.setTransform(qtTransform(OrientationTransform::toTarget(m_orientation, source, target)), true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QPointF(0.0, 0.0), image);
}

// Renders only when mpv has a new frame or the size changed: other repaints (the
// overlay fading over the view) reuse the last frame.
void VistrelView::paintMovie(QPainter& painter) {
    const QSize renderSize = movieRenderSize();
    if (m_movieFrameStale || m_movieFrame.size() != renderSize) {
        m_movieFrame = m_renderer->render(renderSize);
        m_movieFrameStale = false;
    }
    if (m_movieFrame.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(rect()), m_movieFrame);
}

// The view's size in device pixels, but no larger than the screen: a zoomed-in movie
// is rendered at most screen-sized and scaled up by the painter.
QSize VistrelView::movieRenderSize() const {
    const qreal ratio = devicePixelRatioF();
    QSize wanted(qRound(width() * ratio), qRound(height() * ratio));
    if (const QScreen* onScreen = screen()) {
        const QSize limit = onScreen->size() * onScreen->devicePixelRatio();
        if (!limit.isEmpty() && (wanted.width() > limit.width() || wanted.height() > limit.height()))
            wanted = wanted.scaled(limit, Qt::KeepAspectRatio);
    }
    return wanted;
}

// Asks for more pixels when the view has grown past the decoded resolution; once per
// size. Decoding the whole of a large photo takes a good part of a second, so it runs
// on a worker and the view shows the pixels it has meanwhile.
void VistrelView::ensurePictureResolution() {
    const PictureImage* picture = shownPixels();
    if (!picture || !m_resolution || width() <= 0 || height() <= 0)
        return;
    const qreal ratio = devicePixelRatioF();
    QSize needed(qCeil(width() * ratio), qCeil(height() * ratio));
    if (OrientationTransform::swapsAxes(m_orientation))
        needed.transpose();
    needed = needed.boundedTo(picture->storedSize());
    if (needed == m_askedResolution)
        return;
    m_askedResolution = needed;
    const QSize decodeSize = picture->decodeSizeFor(needed);
    if (!decodeSize.isValid())
        return;
    const Size size{static_cast<float>(decodeSize.width()), static_cast<float>(decodeSize.height())};
    m_resolution->decodeMore(picture->path(), size,
                             [view = QPointer<VistrelView>(this),
                              asked = std::weak_ptr<Picture>(m_ciImage)](std::shared_ptr<Picture> more) {
                                 if (view)
                                     view->showMoreResolution(asked, std::move(more));
                             });
}

// Only in place of the picture that asked, if it is still shown, and only by the same
// picture with more pixels (the file may have changed meanwhile).
void VistrelView::showMoreResolution(const std::weak_ptr<Picture>& asked, std::shared_ptr<Picture> more) {
    const std::shared_ptr<Picture> shown = asked.lock();
    if (!shown || shown != m_ciImage)
        return;
    const PictureImage* morePixels = more ? more->pixels() : nullptr;
    if (!morePixels || !shown->pixels()->isLargerDecodeOfSame(*morePixels)) {
        qCInfo(lcView) << "no more resolution of"
                       << QFile::decodeName(QByteArray::fromStdString(shown->pixels()->path()));
        return;
    }
    m_ciImage = std::move(more);
    update();
}

void VistrelView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitContents();
}

void VistrelView::fitContents() {
    placeControlBar();
    ensurePictureResolution();
}

void VistrelView::placeControlBar() {
    if (m_controlBar)
        m_controlBar->setGeometry(0, height() - MovieControlBar::barHeight, width(),
                                  MovieControlBar::barHeight);
}

Point VistrelView::viewPoint(QPointF qtPosition) const {
    return Point{static_cast<float>(qtPosition.x()), static_cast<float>(height() - qtPosition.y())};
}

void VistrelView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    // The control bar, when shown, lies over the strip and takes its clicks itself;
    // what reaches the view there is not a drag.
    if (ViewGestures::isInControlStrip(viewPoint(event->position())))
        return;
    update();
    m_gestures.beginDrag(Size{static_cast<float>(width()), static_cast<float>(height())});
}

void VistrelView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_gestures.isDragging() || !event->buttons().testFlag(Qt::LeftButton) || !m_geometry)
        return;
    m_gestures.dragTo(viewPoint(event->position()), event->modifiers().testFlag(Qt::ShiftModifier),
                      *m_geometry);
}

void VistrelView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_gestures.endDrag();
}

void VistrelView::wheelEvent(QWheelEvent* event) {
    // Touchpads open and close a scroll with events that turn nothing; they are no wheel turn.
    const bool bookkeeping = (event->phase() == Qt::ScrollBegin || event->phase() == Qt::ScrollEnd) &&
                             event->angleDelta().isNull();
    if (!m_geometry || bookkeeping)
        return;
    const QPoint delta = event->angleDelta();
    ViewGestures::wheel(static_cast<float>(delta.x()), static_cast<float>(delta.y()),
                        event->modifiers().testFlag(Qt::AltModifier), *m_geometry);
}

} // namespace vistrel
