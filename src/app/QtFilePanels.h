#pragma once

#include "core/platform/FilePanels.h"

#include <QString>

class QFileDialog;
class QWidget;

namespace vistrel {

class QtFilePanels : public FilePanels {
  public:
    explicit QtFilePanels(QWidget* parent = nullptr) : m_parent(parent) {}

    std::optional<std::vector<std::string>>
    runOpenPanel(const std::vector<std::string>& allowedExtensions) override;
    std::optional<std::string> runOpenFilePanel(const std::vector<std::string>& extensions) override;
    std::optional<std::string> runSavePanel(const std::vector<std::string>& extensions) override;
    std::optional<std::string> runDirectoryPanel(const std::string& title) override;

    // "Pictures and movies (*.jpg *.png …)" and "All files (*)"; the first alone
    // names no extension when none is allowed.
    static QStringList nameFilters(const std::vector<std::string>& allowedExtensions);

    // `path` as it is when it ends in one of `extensions` (any letter case), else with
    // `wanted` appended.
    static QString withExtension(const QString& path, const std::vector<std::string>& extensions,
                                 const QString& wanted);

  private:
    std::optional<QString> runForOnePath(QFileDialog& dialog, bool choosesFolder);
    static std::optional<std::string> encoded(const std::optional<QString>& path);

    QWidget* m_parent;
    QString m_lastFolder; // where the next panel opens, for this run only
};

} // namespace vistrel
