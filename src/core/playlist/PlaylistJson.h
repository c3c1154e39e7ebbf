#pragma once

#include "core/playlist/PlaylistStore.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vistrel::playlistjson {

// The native play list file: UTF-8 JSON whose root is the array of entries, one
// object per entry with "path", "name", "type" (strings), "active" (boolean) and
// every further key the entry carries, written back unchanged.
//
// File names are bytes and need not be valid UTF-8. Such a text is written
// readably, with U+FFFD for the stray bytes, and its exact bytes go next to it in
// hexadecimal under the key with "Bytes" appended ("pathBytes"); a reader that
// finds the "Bytes" key takes the exact bytes from it.
struct TextKey {
    std::string_view key;
    std::string_view bytesKey;
    std::string PlaylistEntry::*member;
};
inline constexpr std::array<TextKey, 3> textKeys{{
    {"path", "pathBytes", &PlaylistEntry::path},
    {"name", "nameBytes", &PlaylistEntry::name},
    {"type", "typeBytes", &PlaylistEntry::type},
}};
inline constexpr std::string_view activeKey = "active";

// True for the keys the format itself uses; an entry's further keys never take these.
bool isFormatKey(std::string_view key);

// The entries, or nullopt with the reason in `error` when the bytes are not a
// well-formed array of entry objects whose "path" is a string.
std::optional<FileList> parse(std::string_view bytes, std::string& error);

// The two ways parse() reads, open for tests and the fuzzer. parsePlainShape
// reads only lists exactly as write() makes them when no text needs an escape and
// no entry has further keys, far faster than the general reader; it answers
// nullopt at the first difference, and the general reader takes over.
std::optional<FileList> parsePlainShape(std::string_view bytes);
std::optional<FileList> parseAnyShape(std::string_view bytes, std::string& error);

// One entry a line, so that a saved list reads and compares well as text.
std::string write(const FileList& list);

} // namespace vistrel::playlistjson
