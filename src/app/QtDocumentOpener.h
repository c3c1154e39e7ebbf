#pragma once

#include "core/platform/DocumentOpener.h"

namespace vistrel {

// Resources next to the program (the build folder) or under its installed data
// folder; documents go to the desktop's opener (xdg-open).
class QtDocumentOpener : public DocumentOpener {
  public:
    std::optional<std::string> resourcePath(const std::string& name) const override;
    void open(const std::optional<std::string>& path) override;
};

} // namespace vistrel
