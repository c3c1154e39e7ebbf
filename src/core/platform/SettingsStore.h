#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vistrel {

// The raw per-user store: text values and text lists under string keys.
// Typing, defaults and the fallback for damaged values live in UserDefaults.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // nullopt when the key was never written (or its value is not text).
    virtual std::optional<std::string> readString(const std::string& key) const = 0;
    virtual std::optional<std::vector<std::string>> readStringList(const std::string& key) const = 0;
    virtual void writeString(const std::string& key, const std::string& value) = 0;
    virtual void writeStringList(const std::string& key, const std::vector<std::string>& values) = 0;
};

} // namespace vistrel
