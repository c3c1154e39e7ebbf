#pragma once

#include "core/platform/Alerts.h"

#include <memory>

class QMessageBox;
class QWidget;

namespace vistrel {

// Warning boxes with one button, modal to the whole application.
class QtAlerts : public Alerts {
  public:
    explicit QtAlerts(QWidget* parent = nullptr) : m_parent(parent) {}

    void showWarning(const std::string& message, const std::string& informativeText,
                     const std::string& button) override;

    // The box showWarning runs, not yet shown.
    static std::unique_ptr<QMessageBox> createWarningBox(const std::string& message,
                                                         const std::string& informativeText,
                                                         QWidget* parent = nullptr,
                                                         const std::string& button = "OK");

  private:
    QWidget* m_parent;
};

} // namespace vistrel
