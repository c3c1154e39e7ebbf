#pragma once

#include "platform/SettingsStore.h"

#include <QString>
#include <memory>

class QSettings;

namespace vistrel {

// The per-user store over QSettings in the native format (an INI file under the XDG
// config directory). Values are kept as text and lists as string lists; whether a
// text is a valid number is decided by UserDefaults, key by key. A damaged file
// reads as far as QSettings can parse it and is rewritten on the next write.
class QtSettingsStore : public SettingsStore {
  public:
    // The user's own settings: organisation "Vistrel", application "vistrel".
    QtSettingsStore();
    // The settings in one explicit file (tests, other profiles).
    explicit QtSettingsStore(const QString& filePath);
    ~QtSettingsStore() override;
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    std::optional<std::string> readString(const std::string& key) const override;
    std::optional<std::vector<std::string>> readStringList(const std::string& key) const override;
    void writeString(const std::string& key, const std::string& value) override;
    void writeStringList(const std::string& key, const std::vector<std::string>& values) override;

    QString fileName() const;

  private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace vistrel
