#pragma once

#include <QList>
#include <QUrl>
#include <string>
#include <vector>

namespace vistrel {

// Paths of the local files among dropped URLs, cleaned, in their order; anything
// that is not a local file is left out. (Command-line arguments are resolved by
// the core's argumentpaths, on the bytes the system passed.)
std::vector<std::string> pathsFromUrls(const QList<QUrl>& urls);

} // namespace vistrel
