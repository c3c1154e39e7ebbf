#pragma once

#include "core/platform/FilePanels.h"

#include <functional>

namespace vistrel::test {

// Answers each panel with what the test chose (nullopt: cancelled) and records what it was offered.
class FakeFilePanels : public FilePanels {
  public:
    std::optional<std::vector<std::string>>
    runOpenPanel(const std::vector<std::string>& allowedExtensions) override {
        offered = allowedExtensions;
        ++openPanelRuns;
        runWhileShown();
        return chosen;
    }
    std::optional<std::string> runOpenFilePanel(const std::vector<std::string>& extensions) override {
        offered = extensions;
        ++openFilePanelRuns;
        runWhileShown();
        return chosenFile;
    }
    std::optional<std::string> runSavePanel(const std::vector<std::string>& extensions) override {
        offered = extensions;
        ++savePanelRuns;
        runWhileShown();
        return chosenSaveFile;
    }
    std::optional<std::string> runDirectoryPanel(const std::string& title) override {
        directoryPanelTitle = title;
        ++directoryPanelRuns;
        runWhileShown();
        return chosenDirectory;
    }

    // Runs while a panel is "up", as its modal loop would let other events in.
    std::function<void()> whileShown;

    std::optional<std::vector<std::string>> chosen;
    std::optional<std::string> chosenFile;
    std::optional<std::string> chosenSaveFile;
    std::optional<std::string> chosenDirectory;
    std::vector<std::string> offered;
    std::string directoryPanelTitle;
    int openPanelRuns = 0;
    int openFilePanelRuns = 0;
    int savePanelRuns = 0;
    int directoryPanelRuns = 0;

  private:
    void runWhileShown() {
        if (whileShown)
            whileShown();
    }
};

} // namespace vistrel::test
