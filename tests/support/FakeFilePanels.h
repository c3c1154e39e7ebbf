#pragma once

#include "platform/FilePanels.h"

namespace vistrel::test {

// Answers the open panel with `chosen` (nullopt: cancelled) and records what it was offered.
class FakeFilePanels : public FilePanels {
  public:
    std::optional<std::vector<std::string>>
    runOpenPanel(const std::vector<std::string>& allowedExtensions) override {
        offered = allowedExtensions;
        ++openPanelRuns;
        return chosen;
    }

    std::optional<std::vector<std::string>> chosen;
    std::vector<std::string> offered;
    int openPanelRuns = 0;
};

} // namespace vistrel::test
