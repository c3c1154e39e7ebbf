#pragma once

#include "core/playlist/PlaylistStore.h"

#include <optional>
#include <string>
#include <string_view>

namespace vistrel::playlistm3u {

// Other players' play lists: one path or URL a line. Lines starting with '#'
// (#EXTM3U, #EXTINF, ...) and blank lines are skipped, LF, CR LF and CR line ends
// and a byte order mark are accepted, spaces around a line are ignored, relative paths are
// taken from `folder` (the list's own folder) and file:// URLs become paths; other
// URLs are kept as they are. An M3U has no mark, so no entry comes out marked.
// nullopt, with the reason in `error`, for a file holding NUL bytes: that is
// binary or UTF-16, not a list of lines.
std::optional<FileList> parse(std::string_view bytes, const std::string& folder, std::string& error);

// "#EXTM3U", then one absolute path a line. A path that would not survive as a
// line (a line break, a NUL byte, spaces at its end) or that is not valid UTF-8
// is written as a percent-encoded file:// URL.
std::string write(const FileList& list);

} // namespace vistrel::playlistm3u
