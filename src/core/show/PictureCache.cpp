#include "core/show/PictureCache.h"

#include <algorithm>
#include <utility>

namespace vistrel {

const PictureCache::Entry* PictureCache::find(const std::string& path, Size neededSize) {
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) {
        return entry.path == path && entry.neededSize == neededSize;
    });
    if (found == m_entries.end())
        return nullptr;
    m_entries.splice(m_entries.begin(), m_entries, found);
    return &m_entries.front();
}

// One entry per path: a newer decode (another size, a rewritten file) replaces the older.
void PictureCache::put(Entry entry) {
    if (m_capacity == 0 || !entry.decoded.picture)
        return;
    remove(entry.path);
    m_entries.push_front(std::move(entry));
    if (m_entries.size() > m_capacity)
        m_entries.pop_back();
}

void PictureCache::remove(const std::string& path) {
    m_entries.remove_if([&](const Entry& entry) { return entry.path == path; });
}

} // namespace vistrel
