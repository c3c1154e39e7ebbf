#pragma once

#include "core/platform/SettingsStore.h"

#include <map>

namespace vistrel::test {

// An in-memory settings store. Give the same store to new objects to simulate a restart.
class FakeSettingsStore : public SettingsStore {
  public:
    std::optional<std::string> readString(const std::string& key) const override {
        const auto found = strings.find(key);
        return found == strings.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    std::optional<std::vector<std::string>> readStringList(const std::string& key) const override {
        const auto found = lists.find(key);
        return found == lists.end() ? std::nullopt : std::optional<std::vector<std::string>>(found->second);
    }
    void writeString(const std::string& key, const std::string& value) override { strings[key] = value; }
    void writeStringList(const std::string& key, const std::vector<std::string>& values) override {
        lists[key] = values;
    }

    std::map<std::string, std::string> strings;
    std::map<std::string, std::vector<std::string>> lists;
};

} // namespace vistrel::test
