#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where the running viewer listens for files handed over by later starts: one
// socket per user and display, so viewers on two displays (or two test runs on
// two private X servers) never hand files to each other.
namespace vistrel::vieweraddress {

// "vistrel-<uid>-<display>.socket", the display ($WAYLAND_DISPLAY or $DISPLAY) cut
// down to letters, digits, '.' and '-' (others become '_'); a long one (a Wayland
// socket's full path) is shortened to a hash, as socket paths are short.
std::string socketName(std::string_view display, unsigned userId);

struct Folder {
    std::optional<std::string> path; // nothing when no usable folder exists
    std::string problem;             // why not, for the log
};

// The user's runtime folder when `runtimeFolder` names one; otherwise
// `<temporaryRoot>/vistrel-<uid>`, made if missing, and used only while it is a
// real folder of this user that nobody else may enter (0700): someone else's
// folder there would let them see or take over the socket.
Folder socketFolder(const char* runtimeFolder, const std::string& temporaryRoot, unsigned userId);

} // namespace vistrel::vieweraddress
