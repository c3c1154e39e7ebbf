#pragma once

#include "core/events/Signal.h"
#include "core/playlist/PlaylistEntry.h"

#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace vistrel {

using FileList = std::vector<PlaylistEntry>;

// Orders entries by the value of one entry key ("path", "name", "type", "active"
// or any further key an entry carries).
struct SortDescriptor {
    std::string key;
    bool ascending = true;
    friend bool operator==(const SortDescriptor&, const SortDescriptor&) = default;
};

// One edit of the list, announced before it is made (aboutToChange) and after
// (changed), so a table can keep its selection and scroll position across it.
struct PlaylistChange {
    enum class Kind {
        reset,      // the whole list was set (again): re-read every row
        inserted,   // rows [first, first + count) are new
        removed,    // rows [first, first + count) of the old list are gone
        moved,      // the row at `first` now stands at `to` (an index of the new list)
        changed,    // rows [first, first + count) changed in place (their mark)
        reordered,  // the rows were permuted (a sort); `order[newRow]` is the old row
    };
    PlaylistChange(Kind what = Kind::reset, std::size_t row = 0, std::size_t rows = 0, std::size_t target = 0)
        : kind(what), first(row), count(rows), to(target) {}

    Kind kind;
    std::size_t first = 0;
    std::size_t count = 0;
    std::size_t to = 0;
    std::vector<std::size_t> order; // reordered, in `changed` only
};

// The play list and the state the play list window shows with it. The list is
// changed only through the edits below, each of which announces itself; the
// entries' marks ("active") are edits too.
class PlaylistStore {
public:
    PlaylistStore();

    const FileList& fileList() const { return m_fileList; }
    // Replaces the whole list. Setting it again, even to the same entries, announces
    // a reset: that is how a user of the list says "re-read every row".
    void setFileList(FileList list);
    void resetFileList() { setFileList(FileList(m_fileList)); }

    void append(FileList entries);
    void insert(std::size_t index, PlaylistEntry entry);
    // Moves one entry so that it ends up at index `to` of the resulting list.
    void move(std::size_t from, std::size_t to);
    void remove(std::size_t index);
    // Marks `index` as the only current entry; nullopt-like `npos` clears every mark.
    void markOnly(std::size_t index);
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // The first entry marked current, or npos.
    std::size_t firstMarked() const;

    const std::set<int>& selIndex() const { return m_selIndex; }
    void setSelIndex(std::set<int> selection);

    const std::vector<SortDescriptor>& sortDesc() const { return m_sortDesc; }
    // Stores the order and, when it names at least one key, sorts the list in place (stable).
    void setSortDesc(std::vector<SortDescriptor> descriptors);

    float transparency() const { return m_transparency; }
    void setTransparency(float alpha);

    Signal<PlaylistChange> aboutToChange;
    Signal<PlaylistChange> changed;
    Signal<> selIndexChanged;
    Signal<> sortDescChanged;
    Signal<float> transparencyChanged;

private:
    void announce(const PlaylistChange& change) { aboutToChange.notify(change); }
    void markRows(std::size_t first, std::size_t last, std::size_t marked);

    FileList m_fileList;
    std::set<int> m_selIndex;
    std::vector<SortDescriptor> m_sortDesc;
    float m_transparency = 1.0f;
};

} // namespace vistrel
