#pragma once

#include "core/events/Signal.h"
#include "core/media/MovieService.h"
#include "core/media/PictureService.h"
#include "core/platform/Alerts.h"
#include "core/platform/DocumentOpener.h"
#include "core/platform/FilePanels.h"
#include "core/platform/Pasteboard.h"
#include "core/platform/SettingsStore.h"
#include "core/work/Executor.h"
#include "core/platform/WindowRequests.h"

#include <memory>
#include <string>
#include <vector>

namespace vistrel {

class AppWindows;
class CInfoW;
class FailureLog;
class KeyWindow;
class MainMenu;
class QtBackgroundWork;
class QtScheduler;
class VistrelController;
class VistrelView;

// Services the application may be given instead of its own (tests hand in fakes);
// every one left empty is the real implementation.
struct ApplicationServices {
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<PictureService> pictures;
    std::unique_ptr<MovieService> movies;
    std::unique_ptr<Alerts> alerts;
    std::unique_ptr<FilePanels> panels;
    std::unique_ptr<Pasteboard> pasteboard;
    std::unique_ptr<DocumentOpener> opener;
    // The one pool all background work runs on; shared with what main() started on it.
    std::shared_ptr<Executor> executor;
};

// The whole viewer wired together. The constructor builds the objects in start-up
// order: services, main window, picture view, status overlay, alerts, panels, the
// controller, the windows beside the main one, the menus; start() runs the
// controller's start-up and takes in the files handed to the application. Needs a
// QApplication.
class Application {
  public:
    explicit Application(ApplicationServices services = {});
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Call once. `paths` are the files and folders handed over, in order; none is fine.
    void start(const std::vector<std::string>& paths);

    // Files handed over by a viewer started later: the window comes to the front and
    // they are taken in as files opened with the application (none: only the window).
    void openHandedOver(const std::vector<std::string>& paths);

    KeyWindow& window() { return *m_window; }
    VistrelView& view() { return *m_view; }
    VistrelController& controller() { return *m_controller; }
    MainMenu& menu() { return *m_menu; }
    QtScheduler& scheduler() { return *m_scheduler; }
    QtBackgroundWork& work() { return *m_work; }
    Executor& executor() { return *m_executor; }
    AppWindows& windows() { return *m_windows; }

  private:
    void connectWidgetsToController();

    // Declared in construction order; destroyed in reverse, so everything that refers
    // to another object goes before it.
    std::shared_ptr<Executor> m_executor;
    std::unique_ptr<QtScheduler> m_scheduler;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<PictureService> m_pictures;
    std::unique_ptr<MovieService> m_movies;
    // After the services its jobs use: destroying it waits for running jobs.
    std::unique_ptr<QtBackgroundWork> m_work;
    std::unique_ptr<KeyWindow> m_window;
    std::unique_ptr<VistrelView> m_view;
    std::unique_ptr<CInfoW> m_cinfo;
    std::unique_ptr<Alerts> m_alerts;
    std::unique_ptr<FilePanels> m_panels;
    std::unique_ptr<Pasteboard> m_pasteboard;
    std::unique_ptr<DocumentOpener> m_opener;
    WindowRequests m_windowRequests;
    std::unique_ptr<VistrelController> m_controller;
    std::unique_ptr<AppWindows> m_windows;
    std::unique_ptr<FailureLog> m_failureLog;
    std::unique_ptr<MainMenu> m_menu;
    Connection m_menuStripEntered;
    Connection m_filesDropped;
};

} // namespace vistrel
