#pragma once

#include "core/platform/Alerts.h"

#include <functional>
#include <utility>
#include <vector>

namespace vistrel::test {

class FakeAlerts : public Alerts {
  public:
    void showWarning(const std::string& message, const std::string& informativeText,
                     const std::string& button) override {
        warnings.emplace_back(message, informativeText);
        buttons.push_back(button);
        if (whileShown)
            whileShown();
    }

    std::vector<std::pair<std::string, std::string>> warnings;
    std::vector<std::string> buttons;
    // Runs while the alert is "up", as a modal loop would let other events in.
    std::function<void()> whileShown;
};

} // namespace vistrel::test
