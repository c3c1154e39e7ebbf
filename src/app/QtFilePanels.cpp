#include "app/QtFilePanels.h"

#include "app/MultiPickFileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

namespace vistrel {

QStringList QtFilePanels::nameFilters(const std::vector<std::string>& allowedExtensions) {
    QStringList patterns;
    QSet<QString> seen; // the extension lists may repeat an extension
    for (const std::string& extension : allowedExtensions) {
        const QString pattern = QStringLiteral("*.") + QString::fromStdString(extension);
        if (!extension.empty() && !seen.contains(pattern)) {
            seen.insert(pattern);
            patterns.append(pattern);
        }
    }
    const QString allFiles = QObject::tr("All files (*)");
    if (patterns.isEmpty())
        return {allFiles};
    return {QObject::tr("Pictures and movies (%1)").arg(patterns.join(QLatin1Char(' '))), allFiles};
}

std::optional<std::vector<std::string>>
QtFilePanels::runOpenPanel(const std::vector<std::string>& allowedExtensions) {
    MultiPickFileDialog dialog(m_parent);
    dialog.setNameFilters(nameFilters(allowedExtensions));
    if (!m_lastFolder.isEmpty())
        dialog.setDirectory(m_lastFolder);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    m_lastFolder = dialog.directory().absolutePath();
    std::vector<std::string> paths;
    for (const QString& path : dialog.chosenPaths())
        paths.push_back(path.toStdString());
    return paths;
}

namespace {

// "Play lists (*.vistrelplaylist)" style filters, one per extension.
QStringList filtersFor(const std::vector<std::string>& extensions) {
    QStringList filters;
    for (const std::string& extension : extensions)
        filters.append(QStringLiteral("*.%1 (*.%1)").arg(QString::fromStdString(extension)));
    return filters;
}

// The pattern's extension of a filter made by filtersFor.
QString extensionOfFilter(const QString& filter) {
    return filter.section(QLatin1Char(' '), 0, 0).mid(2);
}

} // namespace

// Runs a panel from where the last one was left; the chosen path, or nullopt when the
// user cancelled.
std::optional<QString> QtFilePanels::runForOnePath(QFileDialog& dialog, bool choosesFolder) {
    if (!m_lastFolder.isEmpty())
        dialog.setDirectory(m_lastFolder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    m_lastFolder = choosesFolder ? chosen : QFileInfo(chosen).absolutePath();
    return chosen;
}

// The path in the file system's own bytes.
std::optional<std::string> QtFilePanels::encoded(const std::optional<QString>& path) {
    if (!path)
        return std::nullopt;
    return QFile::encodeName(*path).toStdString();
}

std::optional<std::string> QtFilePanels::runOpenFilePanel(const std::vector<std::string>& extensions) {
    QFileDialog dialog(m_parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filtersFor(extensions));
    return encoded(runForOnePath(dialog, false));
}

QString QtFilePanels::withExtension(const QString& path, const std::vector<std::string>& extensions,
                                    const QString& wanted) {
    for (const std::string& extension : extensions)
        if (path.endsWith(QLatin1Char('.') + QString::fromStdString(extension), Qt::CaseInsensitive))
            return path;
    return wanted.isEmpty() ? path : path + QLatin1Char('.') + wanted;
}

// The dialog adds its default suffix only to a name without a dot ("Trip 2.5" would
// stay as it is): the extension is made sure of here as well, so that the file can be
// chosen again by its type.
std::optional<std::string> QtFilePanels::runSavePanel(const std::vector<std::string>& extensions) {
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filtersFor(extensions));
    if (!extensions.empty())
        dialog.setDefaultSuffix(QString::fromStdString(extensions.front()));
    // The suffix follows the filter the user picks (a list can be saved in either format).
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) { dialog.setDefaultSuffix(extensionOfFilter(filter)); });
    const auto chosen = runForOnePath(dialog, false);
    if (!chosen || QFileInfo(*chosen).fileName().isEmpty())
        return std::nullopt;
    return encoded(withExtension(*chosen, extensions, dialog.defaultSuffix()));
}

std::optional<std::string> QtFilePanels::runDirectoryPanel(const std::string& title) {
    QFileDialog dialog(m_parent, QString::fromStdString(title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return encoded(runForOnePath(dialog, true));
}

} // namespace vistrel
