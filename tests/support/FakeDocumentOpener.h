#pragma once

#include "core/platform/DocumentOpener.h"

#include <map>
#include <vector>

namespace vistrel::test {

class FakeDocumentOpener : public DocumentOpener {
  public:
    std::optional<std::string> resourcePath(const std::string& name) const override {
        const auto found = resources.find(name);
        if (found == resources.end())
            return std::nullopt;
        return found->second;
    }
    void open(const std::optional<std::string>& path) override { opened.push_back(path); }

    std::map<std::string, std::string> resources;
    std::vector<std::optional<std::string>> opened;
};

} // namespace vistrel::test
