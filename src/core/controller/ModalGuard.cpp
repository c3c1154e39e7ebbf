#include "core/controller/ModalGuard.h"

#include <utility>

namespace vistrel {

ModalGuard::ModalGuard(Alerts& alerts, FilePanels& panels, Scheduler& scheduler)
    : m_alerts(alerts), m_panels(panels), m_scheduler(scheduler) {}

// Held work refers to its owner, which goes with this guard.
ModalGuard::~ModalGuard() {
    m_scheduler.cancel(m_release);
}

// The count drops also when the modal ends by an exception.
template <typename Run> auto ModalGuard::whileModal(Run run) {
    struct Closing {
        ModalGuard& guard;
        ~Closing() { guard.modalClosed(); }
    };
    ++m_openModals;
    const Closing closing{*this};
    return run();
}

void ModalGuard::showWarning(const std::string& message, const std::string& informativeText,
                             const std::string& button) {
    whileModal([&] { m_alerts.showWarning(message, informativeText, button); });
}

std::optional<std::vector<std::string>>
ModalGuard::runOpenPanel(const std::vector<std::string>& allowedExtensions) {
    return whileModal([&] { return m_panels.runOpenPanel(allowedExtensions); });
}

std::optional<std::string> ModalGuard::runOpenFilePanel(const std::vector<std::string>& extensions) {
    return whileModal([&] { return m_panels.runOpenFilePanel(extensions); });
}

std::optional<std::string> ModalGuard::runSavePanel(const std::vector<std::string>& extensions) {
    return whileModal([&] { return m_panels.runSavePanel(extensions); });
}

std::optional<std::string> ModalGuard::runDirectoryPanel(const std::string& title) {
    return whileModal([&] { return m_panels.runDirectoryPanel(title); });
}

void ModalGuard::whenFree(std::function<void()> action) {
    if (!modalOpen() && m_held.empty()) {
        action();
        return;
    }
    m_held.push_back(std::move(action));
}

// Posted rather than run here: the code that raised the modal is still on the stack
// and finishes first.
void ModalGuard::modalClosed() {
    --m_openModals;
    if (modalOpen() || m_held.empty() || m_release != Scheduler::noTimer)
        return;
    m_release = m_scheduler.scheduleOnce(0.0, [this] {
        m_release = Scheduler::noTimer;
        releaseHeld();
    });
}

// Work released may raise a modal again; what it holds then waits for that one.
void ModalGuard::releaseHeld() {
    while (!m_held.empty() && !modalOpen()) {
        auto action = std::move(m_held.front());
        m_held.erase(m_held.begin());
        action();
    }
}

} // namespace vistrel
