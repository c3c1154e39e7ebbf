#include "app/Application.h"

#include "app/AppWindows.h"
#include "app/FailureLog.h"
#include "app/IdlePointer.h"
#include "app/KeyWindow.h"
#include "app/MainMenu.h"
#include "app/QtAlerts.h"
#include "app/QtBackgroundWork.h"
#include "app/QtDocumentOpener.h"
#include "app/QtFilePanels.h"
#include "app/QtPasteboard.h"
#include "app/QtScheduler.h"
#include "app/QtSettingsStore.h"
#include "media/support/WorkPool.h"
#include "core/controller/VistrelController.h"
#include "display/CInfoW.h"
#include "display/VistrelView.h"
#include "media/movies/ModuleMovieService.h"
#include "media/pictures/QtPictureService.h"

namespace vistrel {

namespace {

template <class Interface, class Real, class... Args>
std::unique_ptr<Interface> orReal(std::unique_ptr<Interface> given, Args&&... args) {
    if (given)
        return given;
    return std::make_unique<Real>(std::forward<Args>(args)...);
}

std::shared_ptr<Executor> orOwnPool(std::shared_ptr<Executor> given) {
    if (given)
        return given;
    return makeWorkPool();
}

} // namespace

Application::Application(ApplicationServices services)
    : m_executor(orOwnPool(std::move(services.executor))), m_scheduler(std::make_unique<QtScheduler>()),
      m_settings(orReal<SettingsStore, QtSettingsStore>(std::move(services.settings))),
      m_pictures(orReal<PictureService, QtPictureService>(std::move(services.pictures),
                                                                 parallelismOf(*m_executor))),
      m_movies(orReal<MovieService, ModuleMovieService>(std::move(services.movies), *m_executor)),
      m_work(std::make_unique<QtBackgroundWork>(*m_executor)),
      m_window(std::make_unique<KeyWindow>()), m_view(std::make_unique<VistrelView>(m_window->content())),
      m_cinfo(std::make_unique<CInfoW>(m_window->content(), *m_scheduler)),
      m_alerts(orReal<Alerts, QtAlerts>(std::move(services.alerts), m_window.get())),
      m_panels(orReal<FilePanels, QtFilePanels>(std::move(services.panels), m_window.get())),
      m_pasteboard(orReal<Pasteboard, QtPasteboard>(std::move(services.pasteboard))),
      m_opener(orReal<DocumentOpener, QtDocumentOpener>(std::move(services.opener))),
      m_controller(std::make_unique<VistrelController>(
          ControllerServices{*m_scheduler, *m_settings, *m_window, *m_view, *m_cinfo, *m_alerts, *m_panels,
                             *m_movies, *m_pictures, *m_work, *m_pasteboard, *m_opener, m_windowRequests})),
      m_windows(std::make_unique<AppWindows>(*m_window, *m_controller, m_windowRequests)),
      m_failureLog(std::make_unique<FailureLog>(m_controller->frameWriter().frameFinished,
                                                m_controller->playlistFiles().failed, m_controller->intake().failed)),
      // Before the start-up: the menu strip's height follows the filled menu bar's.
      m_menu(std::make_unique<MainMenu>(*m_window, *m_controller)) {
    m_window->setView(m_view.get());
    connectWidgetsToController();
    // Owned by the window; the pointer stays while the menu bar is there to be used.
    new IdlePointer(*m_window, [window = m_window.get()] { return !window->menuBarVisible(); });
}

// The window and the view are the controller's ports, so they are built before it and
// cannot take it at construction; what they hand on goes to it from here, once. The
// window's events reach it through connections that end before it goes.
void Application::connectWidgetsToController() {
    VistrelController& controller = *m_controller;
    m_menuStripEntered = m_window->menuStripEntered.connect([&controller] { controller.mouseEntered(); });
    m_filesDropped = m_window->filesDropped.connect(
        [&controller](const std::vector<std::string>& paths) { controller.applicationOpenFiles(paths); });
    m_view->setGeometryTarget(&controller.viewGeometry());
    m_view->setPictureResolution(&controller.pictureResolution());
}

// The view outlives the controller, whose geometry it changes and whose decodes it asks for.
Application::~Application() {
    m_view->setGeometryTarget(nullptr);
    m_view->setPictureResolution(nullptr);
}

void Application::start(const std::vector<std::string>& paths) {
    m_controller->awakeFromNib();
    if (!paths.empty())
        m_controller->applicationOpenFiles(paths);
}

void Application::openHandedOver(const std::vector<std::string>& paths) {
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->makeKeyAndOrderFront();
    if (!paths.empty())
        m_controller->applicationOpenFiles(paths);
}

} // namespace vistrel
