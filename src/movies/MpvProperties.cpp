#include "movies/MpvProperties.h"

#include "movies/MpvLog.h"

#include <cstring>
#include <mpv/client.h>

namespace vistrel {

std::optional<double> MpvProperties::readDouble(mpv_handle* handle, const char* name) {
    double value = 0.0;
    if (mpv_get_property(handle, name, MPV_FORMAT_DOUBLE, &value) < 0)
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> MpvProperties::readInt(mpv_handle* handle, const char* name) {
    std::int64_t value = 0;
    if (mpv_get_property(handle, name, MPV_FORMAT_INT64, &value) < 0)
        return std::nullopt;
    return value;
}

bool MpvProperties::readFlag(mpv_handle* handle, const char* name) {
    int value = 0;
    mpv_get_property(handle, name, MPV_FORMAT_FLAG, &value);
    return value != 0;
}

std::string MpvProperties::readString(mpv_handle* handle, const char* name) {
    char* value = mpv_get_property_string(handle, name);
    if (value == nullptr)
        return {};
    std::string result(value);
    mpv_free(value);
    return result;
}

bool MpvProperties::writeDouble(mpv_handle* handle, const char* name, double value) {
    return MpvLog::succeeded(mpv_set_property(handle, name, MPV_FORMAT_DOUBLE, &value), "set", name);
}

bool MpvProperties::writeFlag(mpv_handle* handle, const char* name, bool value) {
    int flag = value ? 1 : 0;
    return MpvLog::succeeded(mpv_set_property(handle, name, MPV_FORMAT_FLAG, &flag), "set", name);
}

bool MpvProperties::isTrackSelected(mpv_handle* handle, const char* property) {
    const std::string track = readString(handle, property);
    return !track.empty() && track != "no";
}

const mpv_node* MpvProperties::mapValue(const mpv_node& map, const char* key) {
    if (map.format != MPV_FORMAT_NODE_MAP || map.u.list == nullptr)
        return nullptr;
    for (int i = 0; i < map.u.list->num; ++i) {
        if (std::strcmp(map.u.list->keys[i], key) == 0)
            return &map.u.list->values[i];
    }
    return nullptr;
}

std::int64_t MpvProperties::mapInt(const mpv_node& map, const char* key) {
    const mpv_node* value = mapValue(map, key);
    return value != nullptr && value->format == MPV_FORMAT_INT64 ? value->u.int64 : 0;
}

} // namespace vistrel
