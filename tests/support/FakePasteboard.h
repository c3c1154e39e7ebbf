#pragma once

#include "core/platform/Pasteboard.h"

#include <map>

namespace vistrel::test {

class FakePasteboard : public Pasteboard {
  public:
    void declareTypes(const std::vector<std::string>& types) override {
        declared = types;
        data.clear();
    }
    void setData(const std::string& type, const std::vector<std::uint8_t>& bytes) override { data[type] = bytes; }

    std::vector<std::string> declared;
    std::map<std::string, std::vector<std::uint8_t>> data;
};

} // namespace vistrel::test
