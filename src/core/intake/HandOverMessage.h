#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The message in which a viewer started second hands its files to the one already
// running, and the one-byte answer. The paths are raw bytes, so a name in any
// encoding arrives intact. Layout, numbers as 32-bit big-endian:
//
//   "VISTREL" 0x01 | payload size | path count | (path length | path bytes) × count
//
// The receiver trusts nothing in it: only absolute paths without NUL, within the
// limits below, are ever taken; anything else refuses the whole message.
namespace vistrel::handover {

inline constexpr std::string_view magic{"VISTREL\x01", 8};
inline constexpr std::size_t headerSize = magic.size() + 4;
inline constexpr std::size_t maxMessageSize = 8 * 1024 * 1024;
inline constexpr std::size_t maxPaths = 100'000;
// No longer name reaches a file through the system's calls (PATH_MAX).
inline constexpr std::size_t maxPathLength = 4096;

// The receiver's answer: the paths were taken, or the message was refused.
inline constexpr char acceptedReply = '\x06';
inline constexpr char refusedReply = '\x15';

// The message for `paths`; nothing when they break the limits or a path is not one
// the receiver would take.
std::optional<std::string> encode(const std::vector<std::string>& paths);

enum class Status {
    incomplete, // a valid beginning: wait for more bytes
    complete,   // `paths` holds the message's paths (possibly none)
    refused,    // `reason` says why; more bytes cannot mend it
};

struct Reading {
    Status status = Status::incomplete;
    std::vector<std::string> paths;
    std::string reason;
};

// Reads the bytes received so far. Refuses as soon as they cannot begin a valid
// message (wrong magic, a declared size over the limit), so an endless or huge
// stream is turned away after its first twelve bytes.
Reading decode(std::string_view bytes);

// Why a path is not one a message may carry, or nothing when it is.
std::optional<std::string> unacceptablePath(std::string_view path);

} // namespace vistrel::handover
