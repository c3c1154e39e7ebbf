#pragma once

#include "core/platform/SettingsStore.h"

#include <map>
#include <string>
#include <variant>
#include <vector>

namespace vistrel {

using SettingValue = std::variant<bool, float, std::string, std::vector<std::string>>;

// Typed settings over the raw store. A key never written, or one whose stored
// value cannot be read as its type, reads as its registered default, key by key.
class UserDefaults {
public:
    explicit UserDefaults(SettingsStore& store) : m_store(store) {}

    void registerDefaults(const std::map<std::string, SettingValue>& defaults);
    // The viewer's own defaults: Transparency 1, ScaleX 1, ScaleY 1, PosX 0, PosY 0,
    // MovieOnDesk false, Sleep 5, ImagePath "", ImageCompression 0.2.
    void registerViewerDefaults();

    float floatForKey(const std::string& key) const;
    bool boolForKey(const std::string& key) const;
    std::string stringForKey(const std::string& key) const;
    std::vector<std::string> stringListForKey(const std::string& key) const;

    void setFloat(const std::string& key, float value);
    void setBool(const std::string& key, bool value);
    void setString(const std::string& key, const std::string& value);
    void setStringList(const std::string& key, const std::vector<std::string>& values);

private:
    template <class T> T registeredDefault(const std::string& key) const;

    SettingsStore& m_store;
    std::map<std::string, SettingValue> m_defaults;
};

} // namespace vistrel
