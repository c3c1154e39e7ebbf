#pragma once

#include "core/playlist/PlaylistStore.h"

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vistrel {

// Finds the pictures and movies below a folder, at any depth, for the play list.
//
// Order: depth first, a subfolder's contents right after the subfolder, each folder's
// entries in natural name order (NaturalNameOrder). Every entry, folders included, is
// kept when its lower-cased extension is a listed picture or movie type; hidden names
// are not skipped. Links to folders are listed but never entered, and a folder met
// again below itself (a bind mount) is not entered twice, so loops cannot trap the
// scan. FIFOs, sockets and devices (also behind links) are left out: opening one can
// block or never end. A folder that cannot be read, or stops being readable midway,
// is skipped and the scan goes on with the rest. Names are native byte strings, kept
// intact whatever their encoding.
//
// The scan reads each folder once with readdir and trusts the entry type it reports;
// only links and entries of unknown type cost a stat. The scanner holds its own copy
// of the type lists, so a worker can use it while the lists it came from change.
class FolderScanner {
  public:
    // Where a scan delivers what it finds, as it finds it.
    class Sink {
      public:
        virtual ~Sink() = default;
        virtual void found(PlaylistEntry entry) = 0;
        // A folder that could not be read, and why; the scan goes on without it.
        virtual void skipped(const std::string& folder, const std::string& reason) = 0;
        // Asked between folder reads: true ends the scan where it is.
        virtual bool stopped() const { return false; }
    };

    FolderScanner(const std::vector<std::string>& pictureTypes, const std::vector<std::string>& movieTypes);

    // Every entry below `folder`, each a new unmarked entry whose "path" is the folder
    // joined with the relative path.
    void scan(const std::string& folder, Sink& sink) const;
    // The same, all at once; unreadable folders are skipped silently.
    FileList entriesBelow(const std::string& folder) const;

    // The lower-cased extension of `name` when it is a listed type, else "".
    std::string listedExtension(std::string_view name) const;

  private:
    std::unordered_set<std::string> m_types;
};

} // namespace vistrel
