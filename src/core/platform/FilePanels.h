#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vistrel {

// Modal open and save panels.
class FilePanels {
public:
    virtual ~FilePanels() = default;

    // Lets the user choose several files and folders; files are offered by their
    // lower-case extensions. nullopt when the panel was cancelled.
    virtual std::optional<std::vector<std::string>>
    runOpenPanel(const std::vector<std::string>& allowedExtensions) = 0;
};

} // namespace vistrel
