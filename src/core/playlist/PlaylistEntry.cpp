#include "core/playlist/PlaylistEntry.h"

#include "core/playlist/PathComponents.h"

namespace vistrel {

PlaylistEntry PlaylistEntry::forPath(const std::string& path) {
    PlaylistEntry entry;
    entry.path = path;
    entry.name = paths::lastPathComponent(path);
    entry.type = paths::lowercaseAscii(paths::pathExtension(path));
    return entry;
}

} // namespace vistrel
