#include "core/intake/FileKind.h"

#include <filesystem>
#include <system_error>

namespace vistrel {

namespace fs = std::filesystem;

// stat() only: it never opens the path, so it cannot block on a FIFO.
FileKind fileKindOf(const std::string& path) {
    std::error_code error;
    const fs::file_type type = fs::status(fs::path(path), error).type();
    switch (type) {
    case fs::file_type::regular:
        return FileKind::regular;
    case fs::file_type::directory:
        return FileKind::folder;
    case fs::file_type::not_found:
    case fs::file_type::none:
        return FileKind::missing;
    default:
        return FileKind::other;
    }
}

} // namespace vistrel
