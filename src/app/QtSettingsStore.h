#pragma once

#include "app/CoalescingWriter.h"
#include "core/platform/SettingsStore.h"

#include <QString>
#include <QVariantMap>

class QSettings;

namespace vistrel {

// The per-user store over QSettings in the native format (an INI file under the XDG
// config directory). Values are kept as text and lists as string lists; whether a
// text is a valid number is decided by UserDefaults, key by key. A damaged file
// reads as far as QSettings can parse it and is rewritten on the next write.
// The file is read once, when the store is made; reads are answered from memory and
// writes reach the file on a thread of their own (a write syncs the disk, and the
// recent documents change with every picture shown), at the latest when the store
// is destroyed.
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
    // Returns once every change made so far is in the file (or its failure logged).
    void waitUntilWritten();

  private:
    void load(const QSettings& settings);
    void store(const QString& key, const QVariant& value);

    QString m_fileName;
    QVariantMap m_values;  // everything read and written, as QSettings would read it back
    QVariantMap m_changes; // what this run wrote, written again each time
    // Last: destroyed first, so that its final write is done before the rest goes.
    CoalescingWriter m_writer;
};

} // namespace vistrel
