#include "app/FileArguments.h"

#include <QDir>
#include <QRegularExpression>

namespace vistrel {

namespace {

// Drops a trailing separator and "." components so that a folder's entries join
// cleanly onto it.
std::string cleaned(const QString& path) {
    return QDir::cleanPath(path).toStdString();
}

// "file:/x", "file:///x", "https://host/x"; a plain name with a colon is a file.
bool isUrl(const QString& argument) {
    static const QRegularExpression scheme(QStringLiteral("^(file:|[a-zA-Z][a-zA-Z0-9+.-]*://)"),
                                           QRegularExpression::CaseInsensitiveOption);
    return scheme.match(argument).hasMatch();
}

} // namespace

std::vector<std::string> pathsFromArguments(const QStringList& arguments, const QString& workingFolder) {
    std::vector<std::string> paths;
    const QDir base(workingFolder);
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        if (isUrl(argument)) {
            const QUrl url(argument);
            if (url.isLocalFile())
                paths.push_back(cleaned(url.toLocalFile()));
            continue;
        }
        paths.push_back(cleaned(base.absoluteFilePath(argument)));
    }
    return paths;
}

std::vector<std::string> pathsFromUrls(const QList<QUrl>& urls) {
    std::vector<std::string> paths;
    for (const QUrl& url : urls)
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.push_back(cleaned(url.toLocalFile()));
    return paths;
}

} // namespace vistrel
