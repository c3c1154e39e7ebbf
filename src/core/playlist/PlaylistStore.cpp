#include "playlist/PlaylistStore.h"

#include <algorithm>
#include <compare>
#include <utility>

namespace vistrel {

namespace {

// The list is sized for large folder scans up front; this is a hint, not a limit.
constexpr std::size_t initialCapacity = 4096;

// Orders two entries by one key. The four keys every entry has compare by their
// own values; any other key by the value the entry carries in `extra`, where a
// missing value (null) sorts before every present one.
std::weak_ordering compareByKey(const PlaylistEntry& a, const PlaylistEntry& b, const std::string& key) {
    if (key == "path")
        return a.path <=> b.path;
    if (key == "name")
        return a.name <=> b.name;
    if (key == "type")
        return a.type <=> b.type;
    if (key == "active")
        return a.active <=> b.active;
    const nlohmann::json none;
    const auto& va = a.extra.contains(key) ? a.extra.at(key) : none;
    const auto& vb = b.extra.contains(key) ? b.extra.at(key) : none;
    if (va < vb)
        return std::weak_ordering::less;
    if (vb < va)
        return std::weak_ordering::greater;
    return std::weak_ordering::equivalent;
}

bool precedes(const PlaylistEntry& a, const PlaylistEntry& b,
              const std::vector<SortDescriptor>& descriptors) {
    for (const auto& descriptor : descriptors) {
        const auto order = compareByKey(a, b, descriptor.key);
        if (order != 0)
            return descriptor.ascending ? order < 0 : order > 0;
    }
    return false;
}

} // namespace

PlaylistStore::PlaylistStore() {
    m_fileList.reserve(initialCapacity);
}

void PlaylistStore::setFileList(const FileList& list) {
    if (&list != &m_fileList)
        m_fileList = list;
    notify("fileList");
}

void PlaylistStore::setFileList(FileList&& list) {
    if (&list != &m_fileList)
        m_fileList = std::move(list);
    notify("fileList");
}

void PlaylistStore::setSelIndex(std::set<int> selection) {
    m_selIndex = std::move(selection);
    notify("selIndex");
}

void PlaylistStore::setSortDesc(std::vector<SortDescriptor> descriptors) {
    m_sortDesc = std::move(descriptors);
    if (!m_sortDesc.empty())
        std::stable_sort(
            m_fileList.begin(), m_fileList.end(),
            [this](const PlaylistEntry& a, const PlaylistEntry& b) { return precedes(a, b, m_sortDesc); });
    notify("sortDesc");
}

void PlaylistStore::setTransparency(float alpha) {
    m_transparency = alpha;
    notify("transparency");
}

void PlaylistStore::addObserver(Observer observer) {
    m_observers.push_back(std::move(observer));
}

void PlaylistStore::notify(const std::string& key) {
    // A copy: an observer may add observers while it is being notified.
    const auto observers = m_observers;
    for (const auto& observer : observers)
        observer(key);
}

} // namespace vistrel
