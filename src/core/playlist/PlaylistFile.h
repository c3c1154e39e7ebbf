#pragma once

#include "playlist/PlaylistStore.h"

#include <optional>
#include <string>
#include <string_view>

namespace vistrel::playlistfile {

// The play list file of this program; other players' lists are read and written too.
inline constexpr std::string_view nativeExtension = "vistrelplaylist";

// True when `path` names a play list by its extension (vistrelplaylist, m3u, m3u8), any case.
bool isPlaylistPath(const std::string& path);

// The list saved in the file, or nullopt when the file cannot be read or is not a
// well-formed play list (a damaged or foreign file is never half loaded).
std::optional<FileList> load(const std::string& path);

// Writes the whole list, replacing the file atomically: M3U8 when the name ends in
// .m3u or .m3u8, else the native format. False when nothing could be written (any
// old file is then left as it was).
bool save(const std::string& path, const FileList& list);

} // namespace vistrel::playlistfile
