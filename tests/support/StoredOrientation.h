#pragma once

#include "metadata/ExivMetadata.h"

#include <fcntl.h>
#include <optional>
#include <string>
#include <unistd.h>

namespace vistrel::test {

// The orientation exiv2 reads from the file at `path`, as the formats module reads it.
inline std::optional<int> storedOrientation(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return std::nullopt;
    const std::optional<int> orientation = ExivMetadata(path, descriptor).orientation();
    ::close(descriptor);
    return orientation;
}

} // namespace vistrel::test
