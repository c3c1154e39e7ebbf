#include "app/QtFilePanels.h"

#include "app/MultiPickFileDialog.h"

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

} // namespace vistrel
