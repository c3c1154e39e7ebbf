#include "codec/io/SourceFiles.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vistrel {

namespace {

struct LentFile {
    std::string path;
    int descriptor = -1;
};

thread_local LentFile lent;
std::atomic<bool> onlyLentFilesOpen{false};

int closedWith(int descriptor, int error) {
    ::close(descriptor);
    errno = error;
    return -1;
}

int regularOnly(int descriptor) {
    struct stat status {};
    if (descriptor < 0)
        return -1;
    if (::fstat(descriptor, &status) != 0)
        return closedWith(descriptor, errno);
    if (!S_ISREG(status.st_mode))
        return closedWith(descriptor, EINVAL);
    return descriptor;
}

} // namespace

int SourceFiles::openRegular(const std::string& path) {
    if (lent.descriptor >= 0 && lent.path == path)
        return regularOnly(::fcntl(lent.descriptor, F_DUPFD_CLOEXEC, 0));
    if (onlyLentFilesOpen.load(std::memory_order_relaxed)) {
        errno = EACCES;
        return -1;
    }
    return regularOnly(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
}

void SourceFiles::openOnlyWhatIsLent() {
    onlyLentFilesOpen.store(true, std::memory_order_relaxed);
}

SourceFiles::Loan::Loan(std::string path, int descriptor) {
    lent = LentFile{std::move(path), descriptor};
}

SourceFiles::Loan::~Loan() {
    lent = LentFile{};
}

} // namespace vistrel
