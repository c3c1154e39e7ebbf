#pragma once

#include "playlist/PlaylistEntry.h"

#include <functional>
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

// The play list and the state the play list window shows with it. Every setter
// notifies the observers of its key, also when it is given the value already held:
// setting the list again is how its users say "re-read every row".
class PlaylistStore {
public:
    using Observer = std::function<void(const std::string& key)>;

    PlaylistStore();

    FileList& fileList() { return m_fileList; }
    const FileList& fileList() const { return m_fileList; }
    // Safe with the list itself as argument.
    void setFileList(const FileList& list);
    void setFileList(FileList&& list);

    const std::set<int>& selIndex() const { return m_selIndex; }
    void setSelIndex(std::set<int> selection);

    const std::vector<SortDescriptor>& sortDesc() const { return m_sortDesc; }
    // Stores the order and, when it names at least one key, sorts the list in place (stable).
    void setSortDesc(std::vector<SortDescriptor> descriptors);

    float transparency() const { return m_transparency; }
    void setTransparency(float alpha);

    // Observers are called with "fileList", "selIndex", "sortDesc" or "transparency".
    void addObserver(Observer observer);

private:
    void notify(const std::string& key);

    FileList m_fileList;
    std::set<int> m_selIndex;
    std::vector<SortDescriptor> m_sortDesc;
    float m_transparency = 1.0f;
    std::vector<Observer> m_observers;
};

} // namespace vistrel
