#include "core/settings/RecentDocuments.h"

#include "core/settings/SettingsKeys.h"

#include <algorithm>

namespace vistrel {

void RecentDocuments::noteNewRecentDocumentURL(const std::string& path) {
    auto paths = recentDocumentPaths();
    if (!paths.empty() && paths.front() == path)
        return; // already newest: nothing to store, nobody to tell (a slide show of one item)
    std::erase(paths, path);
    paths.insert(paths.begin(), path);
    if (paths.size() > maximumRecentDocumentCount)
        paths.resize(maximumRecentDocumentCount);
    store(paths);
}

std::vector<std::string> RecentDocuments::recentDocumentPaths() const {
    // A list written by hand may be longer than we keep.
    auto paths = m_defaults.stringListForKey(SettingsKeys::recentDocuments);
    if (paths.size() > maximumRecentDocumentCount)
        paths.resize(maximumRecentDocumentCount);
    return paths;
}

void RecentDocuments::clear() {
    store({});
}

void RecentDocuments::store(const std::vector<std::string>& paths) {
    m_defaults.setStringList(SettingsKeys::recentDocuments, paths);
    changed.notify();
}

} // namespace vistrel
