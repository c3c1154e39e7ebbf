#include "app/FileArguments.h"

#include <QDir>
#include <QFile>

namespace vistrel {

std::vector<std::string> pathsFromUrls(const QList<QUrl>& urls) {
    std::vector<std::string> paths;
    for (const QUrl& url : urls)
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.push_back(QFile::encodeName(QDir::cleanPath(url.toLocalFile())).toStdString());
    return paths;
}

} // namespace vistrel
