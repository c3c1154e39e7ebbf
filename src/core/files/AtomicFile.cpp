#include "core/files/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel::atomicfile {

namespace {

thread_local std::string g_lastError;

Result fail(const std::string& what, int error) {
    g_lastError = what + ": " + std::strerror(error);
    return Result::failed;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Room left in a file name for the temporary file's dot and suffix: a target whose
// name is as long as the file system allows can still be written.
constexpr std::size_t temporaryNameStemLength = 200;
constexpr int temporaryNameAttempts = 100;

// A name nobody else uses yet: the process and a counter, mixed with the clock so
// that two processes reusing a process id do not meet either.
std::string uniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    const auto clock = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%d.%u.%llx", static_cast<int>(::getpid()), counter++, clock & 0xFFFFFF);
    return suffix;
}

// A file nobody else uses, next to `path` so that renaming it is atomic.
class TemporaryFile {
public:
    // Created like any new file of the user's (0666 less the umask), or, when it
    // replaces a file, with that file's permissions.
    explicit TemporaryFile(const std::string& path) {
        struct stat existing {};
        const bool replacing = ::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
        const std::string stem = folderOf(path) + "/." + nameOf(path).substr(0, temporaryNameStemLength);
        for (int attempt = 0; attempt < temporaryNameAttempts && m_fd < 0; ++attempt) {
            m_path = stem + uniqueSuffix();
            m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd < 0 && errno != EEXIST)
                break;
        }
        m_created = m_fd >= 0;
        if (m_fd >= 0 && replacing)
            ::fchmod(m_fd, existing.st_mode & 07777);
    }
    ~TemporaryFile() {
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_created && !m_kept)
            ::unlink(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool opened() const { return m_fd >= 0; }
    const std::string& path() const { return m_path; }

    // Writes everything, flushes it to the disk and closes; errno tells why not.
    bool writeAndClose(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0)
                errno = EIO;
            if (n <= 0)
                return false;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        if (::fsync(m_fd) != 0)
            return false;
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }
    void keep() { m_kept = true; }

private:
    std::string m_path;
    int m_fd = -1;
    bool m_created = false;
    bool m_kept = false;
};

void syncFolder(const std::string& path) {
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

const std::string& lastError() {
    return g_lastError;
}

Result replace(const std::string& path, std::string_view bytes) {
    TemporaryFile temporary(path);
    if (!temporary.opened())
        return fail("cannot create a file in " + folderOf(path), errno);
    if (!temporary.writeAndClose(bytes))
        return fail("cannot write " + temporary.path(), errno);
    if (::rename(temporary.path().c_str(), path.c_str()) != 0)
        return fail("cannot rename to " + path, errno);
    temporary.keep();
    syncFolder(path);
    return Result::written;
}

// link() gives the finished file its name only when the name is free, in one step:
// no window in which another program's file could be replaced.
Result createNew(const std::string& path, std::string_view bytes) {
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0)
        return Result::exists;
    TemporaryFile temporary(path);
    if (!temporary.opened())
        return fail("cannot create a file in " + folderOf(path), errno);
    if (!temporary.writeAndClose(bytes))
        return fail("cannot write " + temporary.path(), errno);
    if (::link(temporary.path().c_str(), path.c_str()) != 0) {
        int error = errno;
        // Folders without hard links (FAT, some network mounts): a rename that refuses to replace.
        if (error != EEXIST && ::renameat2(AT_FDCWD, temporary.path().c_str(), AT_FDCWD, path.c_str(),
                                           RENAME_NOREPLACE) == 0) {
            temporary.keep();
            syncFolder(path);
            return Result::written;
        }
        if (error != EEXIST && errno == EEXIST)
            error = EEXIST;
        if (error == EEXIST)
            return Result::exists;
        return fail("cannot name " + path, error);
    }
    syncFolder(path);
    return Result::written;
}

} // namespace vistrel::atomicfile
