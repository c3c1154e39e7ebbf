#pragma once

#include "platform/Alerts.h"

#include <utility>
#include <vector>

namespace vistrel::test {

class FakeAlerts : public Alerts {
  public:
    void showWarning(const std::string& message, const std::string& informativeText) override {
        warnings.emplace_back(message, informativeText);
    }

    std::vector<std::pair<std::string, std::string>> warnings;
};

} // namespace vistrel::test
