#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

namespace vistrel {

// Starting a decoder helper process, without the toolkit: the command `vistrel` starts
// the first helper before it becomes the viewer (launcher/main.cpp), and DecoderHelper
// starts the others.
namespace helperspawn {

// The descriptor a helper finds its control socket on.
inline constexpr int controlDescriptor = 3;
// Where the command names the helpers it started for the viewer it becomes: the helper
// of this program's own decoders, and the helper of every reader when the first file
// needs one.
inline constexpr const char* handedOnVariable = "VISTREL_DECODER_STARTED";
inline constexpr const char* formatsHandedOnVariable = "VISTREL_FORMATS_STARTED";

struct Spawned {
    pid_t id = -1;
    int control = -1; // the viewer's end of the control socket, close-on-exec
};

// Starts `program` with `option` (or none), its end of a new control socket on
// controlDescriptor and no other descriptor of ours; nothing when it cannot start,
// with errno telling why.
std::optional<Spawned> spawn(const char* program, const char* option);

// Leaves `helper` to the program this process is about to become: its control socket
// stays open across the exec, and the environment `variable` names it.
void handOn(const Spawned& helper, const char* variable = handedOnVariable);
// The helper handed on to this process under `variable`, if one was and it is still
// this process's child on a socket; the environment no longer names it and its socket
// is close-on-exec again, so that the viewer's own children do not inherit it.
std::optional<Spawned> takeHandedOn(const char* variable = handedOnVariable);

} // namespace helperspawn
} // namespace vistrel
