#include "app/QtSettingsStore.h"

#include "media/support/LogCategories.h"

#include <QSettings>
#include <QStringList>

namespace vistrel {

namespace {

QString toQString(const std::string& text) {
    return QString::fromStdString(text);
}

const char* statusText(QSettings::Status status) {
    return status == QSettings::AccessError ? "the file cannot be accessed" : "the file is damaged";
}

// On the writer's thread. The file is read again first, so that what another viewer
// wrote meanwhile under other keys stays. A write that did not reach the disk is kept
// in memory for this run only: the user's change is lost at the next start, which only
// the log can tell.
void writeOut(const QString& fileName, const QVariantMap& changes) {
    QSettings settings(fileName, QSettings::NativeFormat);
    for (auto change = changes.cbegin(); change != changes.cend(); ++change)
        settings.setValue(change.key(), change.value());
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qCWarning(lcSettings) << "settings" << changes.keys() << "not stored in" << fileName << "-"
                              << statusText(settings.status());
}

// A damaged file reads as far as it can be parsed; the rest reads as the defaults.
void reportUnreadable(const QSettings& settings) {
    if (settings.status() != QSettings::NoError)
        qCWarning(lcSettings) << "settings in" << settings.fileName() << "read in part -"
                              << statusText(settings.status());
}

} // namespace

QtSettingsStore::QtSettingsStore() {
    load(QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vistrel"),
                   QStringLiteral("vistrel")));
}

QtSettingsStore::QtSettingsStore(const QString& filePath) {
    load(QSettings(filePath, QSettings::NativeFormat));
}

QtSettingsStore::~QtSettingsStore() = default;

// The system-wide fallbacks are read along with the user's file.
void QtSettingsStore::load(const QSettings& settings) {
    reportUnreadable(settings);
    m_fileName = settings.fileName();
    for (const QString& key : settings.allKeys())
        m_values.insert(key, settings.value(key));
}

QString QtSettingsStore::fileName() const {
    return m_fileName;
}

void QtSettingsStore::waitUntilWritten() {
    m_writer.waitUntilWritten();
}

void QtSettingsStore::store(const QString& key, const QVariant& value) {
    m_values.insert(key, value);
    m_changes.insert(key, value);
    m_writer.submit([fileName = m_fileName, changes = m_changes] { writeOut(fileName, changes); });
}

std::optional<std::string> QtSettingsStore::readString(const std::string& key) const {
    const QVariant value = m_values.value(toQString(key));
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return value.toString().toStdString();
    default:
        return std::nullopt; // never written, or a list or an undecodable value
    }
}

// The INI format cannot tell a one-element list from a plain text, and writes an
// empty list as an invalid value: both are read back as the list they were.
std::optional<std::vector<std::string>> QtSettingsStore::readStringList(const std::string& key) const {
    const auto found = m_values.constFind(toQString(key));
    if (found == m_values.cend())
        return std::nullopt;
    const QVariant& value = *found;
    switch (value.typeId()) {
    case QMetaType::QStringList: {
        std::vector<std::string> values;
        for (const QString& item : value.toStringList())
            values.push_back(item.toStdString());
        return values;
    }
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return std::vector<std::string>{value.toString().toStdString()};
    case QMetaType::UnknownType:
        return std::vector<std::string>{};
    default:
        return std::nullopt;
    }
}

void QtSettingsStore::writeString(const std::string& key, const std::string& value) {
    store(toQString(key), toQString(value));
}

void QtSettingsStore::writeStringList(const std::string& key, const std::vector<std::string>& values) {
    QStringList list;
    for (const std::string& item : values)
        list.append(toQString(item));
    store(toQString(key), list);
}

} // namespace vistrel
