#include "core/intake/FileStamp.h"

#include <sys/stat.h>

namespace vistrel {

// stat() only, following links as fileKindOf does: the path is never opened.
FileStamp FileStamp::of(const std::string& path) {
    FileStamp stamp;
    stamp.kind = fileKindOf(path);
    if (stamp.kind != FileKind::regular)
        return stamp;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return stamp;
    constexpr std::int64_t nanosecondsPerSecond = 1'000'000'000;
    stamp.size = static_cast<std::uintmax_t>(status.st_size);
    stamp.modifiedNanoseconds = static_cast<std::int64_t>(status.st_mtim.tv_sec) * nanosecondsPerSecond +
                                static_cast<std::int64_t>(status.st_mtim.tv_nsec);
    return stamp;
}

} // namespace vistrel
