#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vistrel {

// Writes whole files or nothing. The bytes go to a hidden temporary file in the
// target's folder, are flushed to disk, and only then take the target's name, so
// a reader never sees half a file and a failed write leaves the old one intact.
namespace atomicfile {

enum class Result {
    written,
    exists,  // createNew only: something already has that name; it was not touched
    failed,  // nothing was written (no folder, no permission, disk full, ...)
};

// Replaces whatever file has that name.
Result replace(const std::string& path, std::string_view bytes);

// Never replaces: fails with `exists` when anything (file, folder, link) has the
// name, also when it appears between the check and the write.
Result createNew(const std::string& path, std::string_view bytes);

// The reason of the last failure on this thread, for the log.
const std::string& lastError();

} // namespace atomicfile
} // namespace vistrel
