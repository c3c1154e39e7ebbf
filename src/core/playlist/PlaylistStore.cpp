#include "core/playlist/PlaylistStore.h"

#include <algorithm>
#include <compare>
#include <numeric>
#include <string_view>
#include <utility>

namespace vistrel {

namespace {

// The list is sized for large folder scans up front; this is a hint, not a limit.
constexpr std::size_t initialCapacity = 4096;

// The text of one of the string keys every entry has, or nullptr for any other key.
const std::string PlaylistEntry::* stringKey(const std::string& key) {
    if (key == "path")
        return &PlaylistEntry::path;
    if (key == "name")
        return &PlaylistEntry::name;
    if (key == "type")
        return &PlaylistEntry::type;
    return nullptr;
}

// Orders two entries by one key. The four keys every entry has compare by their
// own values; any other key by the value the entry carries in `extra`, where a
// missing value (null) sorts before every present one.
std::weak_ordering compareByKey(const PlaylistEntry& a, const PlaylistEntry& b, const std::string& key) {
    if (const auto text = stringKey(key))
        return a.*text <=> b.*text;
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

// The stable order of the list's rows (order[newRow] = oldRow). A header click sorts
// by one text column: those texts are gathered next to their rows first, so the sort
// compares neighbouring memory instead of chasing every entry.
std::vector<std::size_t> sortedOrder(const FileList& list, const std::vector<SortDescriptor>& descriptors) {
    std::vector<std::size_t> order(list.size());
    const auto text = descriptors.size() == 1 ? stringKey(descriptors.front().key) : nullptr;
    if (!text) {
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return precedes(list[a], list[b], descriptors);
        });
        return order;
    }
    std::vector<std::pair<std::string_view, std::size_t>> keyed;
    keyed.reserve(list.size());
    for (std::size_t row = 0; row < list.size(); ++row)
        keyed.emplace_back(list[row].*text, row);
    const bool ascending = descriptors.front().ascending;
    std::stable_sort(keyed.begin(), keyed.end(), [ascending](const auto& a, const auto& b) {
        return ascending ? a.first < b.first : b.first < a.first;
    });
    for (std::size_t row = 0; row < keyed.size(); ++row)
        order[row] = keyed[row].second;
    return order;
}

using Kind = PlaylistChange::Kind;

} // namespace

PlaylistStore::PlaylistStore() {
    m_fileList.reserve(initialCapacity);
}

void PlaylistStore::setFileList(FileList list) {
    const PlaylistChange change{Kind::reset};
    announce(change);
    m_fileList = std::move(list);
    changed.notify(change);
}

void PlaylistStore::append(FileList entries) {
    if (entries.empty())
        return;
    const PlaylistChange change{Kind::inserted, m_fileList.size(), entries.size()};
    announce(change);
    m_fileList.insert(m_fileList.end(), std::make_move_iterator(entries.begin()),
                      std::make_move_iterator(entries.end()));
    changed.notify(change);
}

void PlaylistStore::insert(std::size_t index, PlaylistEntry entry) {
    index = std::min(index, m_fileList.size());
    const PlaylistChange change{Kind::inserted, index, 1};
    announce(change);
    m_fileList.insert(m_fileList.begin() + static_cast<std::ptrdiff_t>(index), std::move(entry));
    changed.notify(change);
}

void PlaylistStore::move(std::size_t from, std::size_t to) {
    if (from >= m_fileList.size())
        return;
    to = std::min(to, m_fileList.size() - 1);
    if (from == to)
        return;
    const PlaylistChange change{Kind::moved, from, 1, to};
    announce(change);
    const auto begin = m_fileList.begin();
    if (from < to)
        std::rotate(begin + static_cast<std::ptrdiff_t>(from), begin + static_cast<std::ptrdiff_t>(from) + 1,
                    begin + static_cast<std::ptrdiff_t>(to) + 1);
    else
        std::rotate(begin + static_cast<std::ptrdiff_t>(to), begin + static_cast<std::ptrdiff_t>(from),
                    begin + static_cast<std::ptrdiff_t>(from) + 1);
    changed.notify(change);
}

void PlaylistStore::remove(std::size_t index) {
    if (index >= m_fileList.size())
        return;
    const PlaylistChange change{Kind::removed, index, 1};
    announce(change);
    m_fileList.erase(m_fileList.begin() + static_cast<std::ptrdiff_t>(index));
    changed.notify(change);
}

// Announces only the rows whose mark really changes, as one span.
void PlaylistStore::markOnly(std::size_t index) {
    std::size_t first = npos;
    std::size_t last = 0;
    for (std::size_t i = 0; i < m_fileList.size(); ++i) {
        if (m_fileList[i].active != (i == index)) {
            first = std::min(first, i);
            last = i;
        }
    }
    if (first != npos)
        markRows(first, last, index);
}

void PlaylistStore::markRows(std::size_t first, std::size_t last, std::size_t marked) {
    const PlaylistChange change{Kind::changed, first, last - first + 1};
    announce(change);
    for (std::size_t i = first; i <= last; ++i)
        m_fileList[i].active = (i == marked);
    changed.notify(change);
}

std::size_t PlaylistStore::firstMarked() const {
    const auto found = std::find_if(m_fileList.begin(), m_fileList.end(),
                                    [](const PlaylistEntry& entry) { return entry.active; });
    return found == m_fileList.end() ? npos : static_cast<std::size_t>(found - m_fileList.begin());
}

void PlaylistStore::setSelIndex(std::set<int> selection) {
    m_selIndex = std::move(selection);
    selIndexChanged.notify();
}

void PlaylistStore::setSortDesc(std::vector<SortDescriptor> descriptors) {
    m_sortDesc = std::move(descriptors);
    if (!m_sortDesc.empty()) {
        PlaylistChange change{Kind::reordered};
        announce(change);
        std::vector<std::size_t> order = sortedOrder(m_fileList, m_sortDesc);
        FileList sorted;
        sorted.reserve(std::max(m_fileList.capacity(), order.size()));
        for (const std::size_t old : order)
            sorted.push_back(std::move(m_fileList[old]));
        m_fileList = std::move(sorted);
        change.order = std::move(order);
        changed.notify(change);
    }
    sortDescChanged.notify();
}

void PlaylistStore::setTransparency(float alpha) {
    m_transparency = alpha;
    transparencyChanged.notify(alpha);
}

} // namespace vistrel
