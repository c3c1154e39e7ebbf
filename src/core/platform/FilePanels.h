#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vistrel {

// Modal open and save panels. Each answers nullopt when the user cancels.
class FilePanels {
public:
    virtual ~FilePanels() = default;

    // Lets the user choose several files and folders; files are offered by their
    // lower-case extensions.
    virtual std::optional<std::vector<std::string>>
    runOpenPanel(const std::vector<std::string>& allowedExtensions) = 0;

    // One existing file of the given extensions.
    virtual std::optional<std::string> runOpenFilePanel(const std::vector<std::string>& extensions) = 0;

    // A file name to write. When the chosen name ends in none of the extensions (any
    // letter case), the one of the type chosen in the panel is added, the first by default.
    virtual std::optional<std::string> runSavePanel(const std::vector<std::string>& extensions) = 0;

    // One folder.
    virtual std::optional<std::string> runDirectoryPanel(const std::string& title) = 0;
};

} // namespace vistrel
