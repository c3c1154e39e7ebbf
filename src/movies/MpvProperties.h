#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct mpv_handle;
struct mpv_node;

namespace vistrel {

// Typed reads and writes of an mpv player's properties, and lookups in the nodes mpv
// returns. Writes report failures through MpvLog; a failed read is an absent value.
class MpvProperties {
  public:
    static std::optional<double> readDouble(mpv_handle* handle, const char* name);
    static std::optional<std::int64_t> readInt(mpv_handle* handle, const char* name);
    // False also when the flag cannot be read.
    static bool readFlag(mpv_handle* handle, const char* name);
    // Empty when the property cannot be read.
    static std::string readString(mpv_handle* handle, const char* name);
    static bool writeDouble(mpv_handle* handle, const char* name, double value);
    static bool writeFlag(mpv_handle* handle, const char* name, bool value);
    // True when the track property (`vid`, `aid`) names a track that plays.
    static bool isTrackSelected(mpv_handle* handle, const char* property);

    // The value under `key` of a map node; nullptr when there is none.
    static const mpv_node* mapValue(const mpv_node& map, const char* key);
    // The integer under `key`, or 0.
    static std::int64_t mapInt(const mpv_node& map, const char* key);
};

} // namespace vistrel
