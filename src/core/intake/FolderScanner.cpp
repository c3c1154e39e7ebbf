#include "intake/FolderScanner.h"

#include "intake/FileKind.h"
#include "intake/TypeLists.h"
#include "playlist/PathComponents.h"

#include <filesystem>
#include <system_error>

namespace vistrel {

namespace fs = std::filesystem;

namespace {

// One open folder of the scan and the relative path its entries are listed under.
struct OpenFolder {
    fs::directory_iterator next;
    std::string prefix;
};

// An unreadable folder opens as an empty one.
OpenFolder openFolder(const fs::path& folder, std::string prefix) {
    std::error_code error;
    fs::directory_iterator next(folder, fs::directory_options::skip_permission_denied, error);
    if (error)
        next = fs::directory_iterator();
    return OpenFolder{std::move(next), std::move(prefix)};
}

// A folder itself, not a link to one.
bool isRealFolder(const fs::directory_entry& entry) {
    std::error_code error;
    return entry.symlink_status(error).type() == fs::file_type::directory && !error;
}

} // namespace

FileList FolderScanner::entriesBelow(const std::string& folder) const {
    FileList entries;
    // An explicit stack instead of recursion: deep trees cannot exhaust the call stack.
    std::vector<OpenFolder> open;
    open.push_back(openFolder(fs::path(folder), ""));
    while (!open.empty()) {
        OpenFolder& current = open.back();
        if (current.next == fs::directory_iterator()) {
            open.pop_back();
            continue;
        }
        const fs::directory_entry entry = *current.next;
        const std::string relativePath = current.prefix + entry.path().filename().native();
        std::error_code error;
        current.next.increment(error);
        if (error)
            current.next = fs::directory_iterator(); // the rest of this folder is lost, not the scan

        if (isListed(relativePath) && fileKindOf(entry.path().native()) != FileKind::other)
            entries.push_back(PlaylistEntry::forPath(paths::appendingPathComponent(folder, relativePath)));
        if (isRealFolder(entry))
            open.push_back(openFolder(entry.path(), relativePath + '/'));
    }
    return entries;
}

bool FolderScanner::isListed(const std::string& relativePath) const {
    const std::string extension = paths::lowercaseAscii(paths::pathExtension(relativePath));
    return !extension.empty() &&
           (containsType(m_pictureTypes, extension) || containsType(m_movieTypes, extension));
}

} // namespace vistrel
