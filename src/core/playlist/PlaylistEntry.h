#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace vistrel {

// One file of the play list. "path", "name" and "type" never change after the
// entry is made; "active" marks the current entry. Keys beyond the four that a
// loaded play list file brings are kept in `extra` and written back unchanged.
struct PlaylistEntry {
    std::string path;
    std::string name;
    std::string type;
    bool active = false;
    nlohmann::json extra = nlohmann::json::object();

    // The entry made for `path` as handed in: name and lower-case extension derived from it.
    static PlaylistEntry forPath(const std::string& path);

    friend bool operator==(const PlaylistEntry&, const PlaylistEntry&) = default;
};

} // namespace vistrel
