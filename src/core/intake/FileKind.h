#pragma once

#include <string>

namespace vistrel {

// What a path is once links are followed.
enum class FileKind {
    missing, // nothing there, or a broken link: the services report it as unreadable
    regular,
    folder,
    // A FIFO, a socket, a device: opening one can block forever (a FIFO without a
    // writer) or read without end (/dev/zero), so it is never handed to a decoder.
    other,
};

FileKind fileKindOf(const std::string& path);

} // namespace vistrel
