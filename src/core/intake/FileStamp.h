#pragma once

#include "core/intake/FileKind.h"

#include <cstdint>
#include <string>

namespace vistrel {

// What a path is, with the size and modification time of a regular file: enough to
// tell that a file decoded earlier has since been replaced or rewritten.
struct FileStamp {
    FileKind kind = FileKind::missing;
    std::uintmax_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;

    // stat() only, like fileKindOf: it may wait on a hung mount, so never on the GUI thread.
    static FileStamp of(const std::string& path);
};

} // namespace vistrel
