#pragma once

#include "platform/FilePanels.h"

namespace vistrel::test {

// Answers each panel with what the test chose (nullopt: cancelled) and records what it was offered.
class FakeFilePanels : public FilePanels {
  public:
    std::optional<std::vector<std::string>>
    runOpenPanel(const std::vector<std::string>& allowedExtensions) override {
        offered = allowedExtensions;
        ++openPanelRuns;
        return chosen;
    }
    std::optional<std::string> runOpenFilePanel(const std::vector<std::string>& extensions) override {
        offered = extensions;
        ++openFilePanelRuns;
        return chosenFile;
    }
    std::optional<std::string> runSavePanel(const std::vector<std::string>& extensions) override {
        offered = extensions;
        ++savePanelRuns;
        return chosenSaveFile;
    }
    std::optional<std::string> runDirectoryPanel(const std::string& title) override {
        directoryPanelTitle = title;
        ++directoryPanelRuns;
        return chosenDirectory;
    }

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
};

} // namespace vistrel::test
