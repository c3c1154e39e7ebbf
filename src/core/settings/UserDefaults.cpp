#include "core/settings/UserDefaults.h"

#include "core/settings/SettingsKeys.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>

namespace vistrel {

namespace {

// The whole text must be one finite number; anything else is a damaged value.
std::optional<float> parseFloat(const std::string& text) {
    float value = 0.0f;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<bool> parseBool(const std::string& text) {
    if (text == "true" || text == "1")
        return true;
    if (text == "false" || text == "0")
        return false;
    return std::nullopt;
}

// The shortest text that reads back as exactly the same float.
std::string formatFloat(float value) {
    std::array<char, 32> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    (void)error; // 32 characters always hold a float
    return std::string(buffer.data(), end);
}

} // namespace

template <class T> T UserDefaults::registeredDefault(const std::string& key) const {
    const auto found = m_defaults.find(key);
    if (found != m_defaults.end())
        if (const T* value = std::get_if<T>(&found->second))
            return *value;
    return T{};
}

void UserDefaults::registerDefaults(const std::map<std::string, SettingValue>& defaults) {
    for (const auto& [key, value] : defaults)
        m_defaults.insert_or_assign(key, value);
}

void UserDefaults::registerViewerDefaults() {
    registerDefaults({
        {SettingsKeys::transparency, 1.0f},
        {SettingsKeys::scaleX, 1.0f},
        {SettingsKeys::scaleY, 1.0f},
        {SettingsKeys::posX, 0.0f},
        {SettingsKeys::posY, 0.0f},
        {SettingsKeys::movieOnDesk, false},
        {SettingsKeys::sleep, 5.0f},
        {SettingsKeys::imagePath, std::string()},
        {SettingsKeys::imageCompression, 0.2f},
    });
}

float UserDefaults::floatForKey(const std::string& key) const {
    const auto text = m_store.readString(key);
    const auto value = text ? parseFloat(*text) : std::nullopt;
    return value ? *value : registeredDefault<float>(key);
}

bool UserDefaults::boolForKey(const std::string& key) const {
    const auto text = m_store.readString(key);
    const auto value = text ? parseBool(*text) : std::nullopt;
    return value ? *value : registeredDefault<bool>(key);
}

std::string UserDefaults::stringForKey(const std::string& key) const {
    auto text = m_store.readString(key);
    return text ? std::move(*text) : registeredDefault<std::string>(key);
}

std::vector<std::string> UserDefaults::stringListForKey(const std::string& key) const {
    auto values = m_store.readStringList(key);
    return values ? std::move(*values) : registeredDefault<std::vector<std::string>>(key);
}

void UserDefaults::setFloat(const std::string& key, float value) {
    m_store.writeString(key, formatFloat(value));
}

void UserDefaults::setBool(const std::string& key, bool value) {
    m_store.writeString(key, value ? "true" : "false");
}

void UserDefaults::setString(const std::string& key, const std::string& value) {
    m_store.writeString(key, value);
}

void UserDefaults::setStringList(const std::string& key, const std::vector<std::string>& values) {
    m_store.writeStringList(key, values);
}

} // namespace vistrel
