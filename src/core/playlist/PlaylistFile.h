#pragma once

#include "core/playlist/PlaylistStore.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel::playlistfile {

// The play list file of this program; other players' lists are read and written too.
inline constexpr std::string_view nativeExtension = "vistrelplaylist";

enum class Format {
    native, // JSON array of entry objects
    m3u,    // one path a line (.m3u, .m3u8), written as UTF-8
};

// The extensions a play list can be read from, and written to, in that order.
std::vector<std::string> readableExtensions();
std::vector<std::string> writableExtensions();

// True when `path` names a play list by its extension (vistrelplaylist, m3u, m3u8), any case.
bool isPlaylistPath(const std::string& path);

// M3U for .m3u and .m3u8, any case; the native format for every other name.
Format formatOf(const std::string& path);

// The list in `bytes`, or nullopt when they are not a well-formed play list of that
// format (the reason is in lastError()). `folder` is the list's own folder, against
// which an M3U's relative paths are taken.
std::optional<FileList> parse(std::string_view bytes, Format format, const std::string& folder);

// The bytes of the file that holds `list`.
std::string serialize(const FileList& list, Format format);

// The list saved in the file, or nullopt when the file cannot be read or is not a
// well-formed play list (a damaged or foreign file is never half loaded).
std::optional<FileList> load(const std::string& path);

// Writes the whole list, replacing the file atomically: M3U8 when the name ends in
// .m3u or .m3u8, else the native format. False when nothing could be written (any
// old file is then left as it was).
bool save(const std::string& path, const FileList& list);

// Why the last parse, load or save on this thread failed, for the log.
const std::string& lastError();

} // namespace vistrel::playlistfile
