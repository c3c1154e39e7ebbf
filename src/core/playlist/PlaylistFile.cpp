#include "playlist/PlaylistFile.h"

namespace vistrel::playlistfile {

bool isPlaylistPath(const std::string&) {
    return false;
}

std::optional<FileList> load(const std::string&) {
    return std::nullopt;
}

bool save(const std::string&, const FileList&) {
    return false;
}

} // namespace vistrel::playlistfile
