#include "app/KeyWindow.h"

#include "app/FileArguments.h"
#include "app/MenuStrip.h"
#include "display/CompositorProbe.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScreen>

namespace vistrel {

namespace {

std::vector<std::string> droppedPaths(const QMimeData* data) {
    return data && data->hasUrls() ? pathsFromUrls(data->urls()) : std::vector<std::string>{};
}

// The menu bar lies inside the window. Without the attribute, building it asks the
// session bus for a global menu service first, which costs a launch several
// milliseconds and keeps a D-Bus thread for the life of the process.
QMenuBar* menuBarInside(QWidget* window) {
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    return new QMenuBar(window);
}

} // namespace

KeyWindow::KeyWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_content(new QWidget(this)),
      m_menuBar(menuBarInside(this)) {
    setObjectName(QStringLiteral("keyWindow"));
    setWindowTitle(QStringLiteral("Vistrel"));
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    // Black is painted here rather than set in the palette, which the menu bar and
    // the view's controls would inherit.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_content->setObjectName(QStringLiteral("content"));
    m_menuBar->setNativeMenuBar(false); // it must lie inside this window, not in a global bar
    useActiveColoursWhenInactive();
    fitToScreen();
}

KeyWindow::~KeyWindow() = default;

QScreen* KeyWindow::deepestScreen() {
    QScreen* deepest = QGuiApplication::primaryScreen();
    for (QScreen* screen : QGuiApplication::screens())
        if (!deepest || screen->depth() > deepest->depth())
            deepest = screen;
    return deepest;
}

// Widgets repaint the whole window when it is activated if their palette's inactive
// colours differ from the active ones. The window manager activates the window just
// after mapping it, and that full-screen repaint would hold back the first picture.
void KeyWindow::useActiveColoursWhenInactive() {
    QPalette colours = palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto colourRole = static_cast<QPalette::ColorRole>(role);
        colours.setBrush(QPalette::Inactive, colourRole, colours.brush(QPalette::Active, colourRole));
    }
    setPalette(colours);
}

// Without a window manager (plain X servers) nothing makes a window full-screen for
// us, so the geometry is always set from the screen itself.
void KeyWindow::fitToScreen() {
    if (const QScreen* screen = deepestScreen())
        setGeometry(screen->geometry());
}

// A Wayland client can neither place nor raise its window over the whole screen (a
// panel stays above a screen-sized window): only the compositor's full-screen state
// covers it. Elsewhere the screen's geometry is set, which works without a window
// manager too.
void KeyWindow::showCoveringScreen() {
    fitToScreen();
    if (CompositorProbe::isWayland())
        showFullScreen();
    else
        show();
}

void KeyWindow::layOutChildren() {
    m_content->setGeometry(rect());
    m_menuBar->setGeometry(0, 0, width(), m_menuBar->sizeHint().height());
    m_menuBar->raise();
    if (m_menuStrip)
        m_menuStrip->followWindowWidth();
}

void KeyWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOutChildren();
}

void KeyWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
}

void KeyWindow::setOpacity(float alpha) {
    setWindowOpacity(alpha);
}

// Changing the flags recreates the native window hidden; it is shown again in place.
void KeyWindow::setDesktopLevel(bool onDesktop) {
    if (onDesktop == isDesktopLevel())
        return;
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnBottomHint, onDesktop);
    if (wasVisible)
        showCoveringScreen();
}

bool KeyWindow::isDesktopLevel() const {
    return windowFlags().testFlag(Qt::WindowStaysOnBottomHint);
}

bool KeyWindow::menuBarVisible() const {
    return !m_menuBar->isHidden();
}

void KeyWindow::setMenuBarVisible(bool visible) {
    m_menuBar->setVisible(visible);
    if (visible)
        layOutChildren();
}

float KeyWindow::menuBarHeight() const {
    return static_cast<float>(m_menuBar->sizeHint().height());
}

Size KeyWindow::screenSize() const {
    return deepestScreenSize();
}

Size KeyWindow::deepestScreenSize() {
    const QScreen* screen = deepestScreen();
    if (!screen)
        return {};
    const QSize size = screen->geometry().size();
    return {static_cast<float>(size.width()), static_cast<float>(size.height())};
}

void KeyWindow::makeKeyAndOrderFront() {
    showCoveringScreen();
    raise();
    activateWindow();
}

void KeyWindow::makeViewFirstResponder() {
    if (m_view)
        m_view->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
}

void KeyWindow::installMenuStrip(int height) {
    if (!m_menuStrip)
        m_menuStrip = new MenuStrip(this, [this] { menuStripEntered.notify(); });
    m_menuStrip->setStripHeight(height);
}

// Keys no shortcut took end here and do nothing.
void KeyWindow::keyPressEvent(QKeyEvent* event) {
    event->accept();
}

void KeyWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedPaths(event->mimeData()).empty())
        event->acceptProposedAction();
}

void KeyWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!droppedPaths(event->mimeData()).empty())
        event->acceptProposedAction();
}

void KeyWindow::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = droppedPaths(event->mimeData());
    if (paths.empty())
        return;
    event->acceptProposedAction();
    // The intake may run a modal alert; the drag source is released first.
    QMetaObject::invokeMethod(this, [this, paths] { filesDropped.notify(paths); }, Qt::QueuedConnection);
}

} // namespace vistrel
