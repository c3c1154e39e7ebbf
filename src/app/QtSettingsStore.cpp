#include "app/QtSettingsStore.h"

#include "media/LogCategories.h"

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

// A write that did not reach the disk is kept in memory for this run only: the user's
// change is lost at the next start, which only the log can tell.
void writeOut(QSettings& settings, const QString& key) {
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qCWarning(lcSettings) << "setting" << key << "not stored in" << settings.fileName() << "-"
                              << statusText(settings.status());
}

// A damaged file reads as far as it can be parsed; the rest reads as the defaults.
void reportUnreadable(const QSettings& settings) {
    if (settings.status() != QSettings::NoError)
        qCWarning(lcSettings) << "settings in" << settings.fileName() << "read in part -"
                              << statusText(settings.status());
}

} // namespace

QtSettingsStore::QtSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Vistrel"), QStringLiteral("vistrel"))) {
    reportUnreadable(*m_settings);
}

QtSettingsStore::QtSettingsStore(const QString& filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::NativeFormat)) {
    reportUnreadable(*m_settings);
}

QtSettingsStore::~QtSettingsStore() = default;

QString QtSettingsStore::fileName() const {
    return m_settings->fileName();
}

std::optional<std::string> QtSettingsStore::readString(const std::string& key) const {
    const QVariant value = m_settings->value(toQString(key));
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
    const QString qKey = toQString(key);
    if (!m_settings->contains(qKey))
        return std::nullopt;
    const QVariant value = m_settings->value(qKey);
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
    m_settings->setValue(toQString(key), toQString(value));
    writeOut(*m_settings, toQString(key));
}

void QtSettingsStore::writeStringList(const std::string& key, const std::vector<std::string>& values) {
    QStringList list;
    for (const std::string& item : values)
        list.append(toQString(item));
    m_settings->setValue(toQString(key), list);
    writeOut(*m_settings, toQString(key));
}

} // namespace vistrel
