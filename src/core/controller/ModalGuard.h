#pragma once

#include "core/platform/Alerts.h"
#include "core/platform/FilePanels.h"
#include "core/platform/Scheduler.h"

#include <functional>
#include <vector>

namespace vistrel {

// Every alert and panel of the viewer goes through here. A modal runs an event loop
// of its own, so timers and movie ends keep arriving while it is up; the work they
// start must not run underneath it (it would show the next item behind the alert, or
// re-enter the operation that raised it). Such work is handed to whenFree: it runs at
// once when no modal is up, otherwise it is held and posted to the event loop when
// the last modal has closed, in the order it arrived. Nothing held is dropped.
class ModalGuard : public Alerts, public FilePanels {
  public:
    ModalGuard(Alerts& alerts, FilePanels& panels, Scheduler& scheduler);
    ~ModalGuard() override;
    ModalGuard(const ModalGuard&) = delete;
    ModalGuard& operator=(const ModalGuard&) = delete;

    void showWarning(const std::string& message, const std::string& informativeText,
                     const std::string& button) override;
    std::optional<std::vector<std::string>>
    runOpenPanel(const std::vector<std::string>& allowedExtensions) override;
    std::optional<std::string> runOpenFilePanel(const std::vector<std::string>& extensions) override;
    std::optional<std::string> runSavePanel(const std::vector<std::string>& extensions) override;
    std::optional<std::string> runDirectoryPanel(const std::string& title) override;

    bool modalOpen() const { return m_openModals > 0; }
    void whenFree(std::function<void()> action);

  private:
    template <typename Run> auto whileModal(Run run);
    void modalClosed();
    void releaseHeld();

    Alerts& m_alerts;
    FilePanels& m_panels;
    Scheduler& m_scheduler;
    int m_openModals = 0;
    std::vector<std::function<void()>> m_held;
    Scheduler::TimerId m_release = Scheduler::noTimer;
};

} // namespace vistrel
