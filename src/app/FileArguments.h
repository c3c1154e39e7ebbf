#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <string>
#include <vector>

namespace vistrel {

// Paths of the files and folders handed to the application: command-line arguments
// (plain paths, relative ones taken from `workingFolder`, or file:// URLs) and
// dropped URLs. Anything that is not a local file is left out; the order is kept.
std::vector<std::string> pathsFromArguments(const QStringList& arguments, const QString& workingFolder);
std::vector<std::string> pathsFromUrls(const QList<QUrl>& urls);

} // namespace vistrel
