#include "files/AtomicFile.h"

#include <cerrno>
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

// A file nobody else uses, next to `path` so that renaming it is atomic.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& path) {
        m_path = folderOf(path) + "/." + nameOf(path) + ".XXXXXX";
        m_fd = ::mkstemp(m_path.data());
    }
    ~TemporaryFile() {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_kept)
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
            if (n <= 0)
                return false;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        // New files get the permissions the user's umask allows, as any other program's would.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(m_fd, 0666 & ~mask);
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
