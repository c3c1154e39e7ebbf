#pragma once

#include "playlist/PlaylistStore.h"

#include <string>
#include <vector>

namespace vistrel {

// Finds the pictures and movies below a folder, at any depth, for the play list.
//
// Order: depth first, a subfolder's contents right after the subfolder, each folder
// in the file system's own listing order. Every entry, folders included, is kept
// when its lower-cased extension is a listed picture or movie type; hidden names are
// not skipped. Links to folders are listed but never entered, so link loops cannot
// trap the scan. FIFOs, sockets and devices (also behind links) are left out: opening
// one can block or never end. A folder that cannot be read, or stops being readable midway, is
// skipped and the scan goes on with the rest. Names are native byte strings, kept
// intact whatever their encoding.
class FolderScanner {
  public:
    FolderScanner(const std::vector<std::string>& pictureTypes, const std::vector<std::string>& movieTypes)
        : m_pictureTypes(pictureTypes), m_movieTypes(movieTypes) {}

    // New unmarked entries, each with "path" = folder joined with the relative path.
    FileList entriesBelow(const std::string& folder) const;

  private:
    bool isListed(const std::string& relativePath) const;

    const std::vector<std::string>& m_pictureTypes;
    const std::vector<std::string>& m_movieTypes;
};

} // namespace vistrel
