#include "display/CInfoSurface.h"

#include "display/CInfoView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

namespace vistrel {

namespace {

CInfoView* makeView(CInfoSurface::Kind kind, QWidget* mainWindow) {
    if (kind == CInfoSurface::Kind::Layer)
        return new CInfoView(mainWindow);
    auto* view = new CInfoView(nullptr);
    view->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
    // Translucency by the window's own alpha works on X11 compositors and on Wayland,
    // where a window opacity is not supported.
    view->setAttribute(Qt::WA_TranslucentBackground);
    view->setAttribute(Qt::WA_ShowWithoutActivating);
    return view;
}

} // namespace

CInfoSurface::CInfoSurface(Kind kind, QWidget* mainWindow)
    : m_kind(mainWindow ? kind : Kind::Window), m_mainWindow(mainWindow) {
    CInfoView* view = makeView(m_kind, mainWindow);
    view->setAttribute(Qt::WA_TransparentForMouseEvents);
    view->hide();
    m_view = view;
    if (m_kind == Kind::Layer)
        mainWindow->installEventFilter(this);
}

CInfoSurface::~CInfoSurface() {
    delete m_view.data();
}

void CInfoSurface::setText(const std::string& text) {
    if (CInfoView* view = m_view.data())
        view->setString(QString::fromStdString(text));
}

void CInfoSurface::setOpacity(float opacity) {
    if (CInfoView* view = m_view.data())
        view->setOpacity(opacity);
}

void CInfoSurface::orderFront() {
    CInfoView* view = m_view.data();
    if (!view)
        return;
    coverTarget(*view);
    view->show();
    view->raise();
}

void CInfoSurface::orderOut() {
    if (CInfoView* view = m_view.data())
        view->hide();
}

void CInfoSurface::display() {
    CInfoView* view = m_view.data();
    if (!view || !view->isVisible())
        return;
    // Showing a layer posts an update of its own. Taken in here, it joins the one repaint
    // (with the opacity's update) instead of drawing the layer and what lies under it again.
    QCoreApplication::sendPostedEvents(view, QEvent::UpdateLater);
    view->repaint();
}

void CInfoSurface::coverTarget(CInfoView& view) {
    QWidget* mainWindow = m_mainWindow.data();
    if (m_kind == Kind::Layer) {
        if (mainWindow)
            view.setGeometry(mainWindow->rect());
        return;
    }
    const QScreen* screen = mainWindow ? mainWindow->screen() : QGuiApplication::primaryScreen();
    if (screen)
        view.setGeometry(screen->geometry());
}

bool CInfoSurface::eventFilter(QObject* watched, QEvent* event) {
    CInfoView* view = m_view.data();
    if (view && watched == m_mainWindow.data() && event->type() == QEvent::Resize)
        coverTarget(*view);
    return QObject::eventFilter(watched, event);
}

} // namespace vistrel
