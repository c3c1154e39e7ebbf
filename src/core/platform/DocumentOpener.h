#pragma once

#include <optional>
#include <string>

namespace vistrel {

// Finds the program's own documents and hands files to the desktop's opener.
class DocumentOpener {
public:
    virtual ~DocumentOpener() = default;
    // The installed resource `name` (e.g. "VistrelHelp.pdf"), or nullopt when missing.
    virtual std::optional<std::string> resourcePath(const std::string& name) const = 0;
    // Starts the desktop's opener once, without waiting; nullopt starts it with no document.
    virtual void open(const std::optional<std::string>& path) = 0;
};

} // namespace vistrel
