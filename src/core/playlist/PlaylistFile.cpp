#include "core/playlist/PlaylistFile.h"

#include "core/files/AtomicFile.h"
#include "core/playlist/PathComponents.h"
#include "core/playlist/PlaylistJson.h"
#include "core/playlist/PlaylistM3u.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vistrel::playlistfile {

namespace {

// Far beyond any real list (a million entries take about 200 MB), and a guard
// against reading a whole disk image by mistake.
constexpr off_t maximumFileSize = off_t{512} * 1024 * 1024;

thread_local std::string g_lastError;

std::string lowerExtension(const std::string& path) {
    return paths::lowercaseAscii(paths::pathExtension(path));
}

bool failWith(std::string reason) {
    g_lastError = std::move(reason);
    return false;
}

// Closes the descriptor on every way out.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path) : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ReadOnlyFile() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// Regular files only: a folder cannot be read and a pipe might never end.
std::optional<std::string> readWholeFile(const std::string& path) {
    const ReadOnlyFile file(path);
    struct stat status {};
    if (file.fd() < 0 || ::fstat(file.fd(), &status) != 0) {
        failWith("cannot open " + path + ": " + std::strerror(errno));
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode) || status.st_size > maximumFileSize) {
        failWith(path + " is not a play list file (not a regular file, or too large)");
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t n = ::read(file.fd(), bytes.data() + filled, bytes.size() - filled);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            failWith("cannot read " + path + ": " + std::strerror(errno));
            return std::nullopt;
        }
        if (n == 0)
            break; // the file shrank while it was read
        filled += static_cast<std::size_t>(n);
    }
    bytes.resize(filled);
    return bytes;
}

// The list's folder as an absolute path, so that the paths taken from it are absolute too.
std::string absoluteFolderOf(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(path), error);
    return (error ? std::filesystem::path(path) : full).parent_path().string();
}

} // namespace

std::vector<std::string> readableExtensions() {
    return {std::string(nativeExtension), "m3u8", "m3u"};
}

std::vector<std::string> writableExtensions() {
    return {std::string(nativeExtension), "m3u8"};
}

bool isPlaylistPath(const std::string& path) {
    const auto readable = readableExtensions();
    return std::find(readable.begin(), readable.end(), lowerExtension(path)) != readable.end();
}

Format formatOf(const std::string& path) {
    const std::string extension = lowerExtension(path);
    return extension == "m3u" || extension == "m3u8" ? Format::m3u : Format::native;
}

std::optional<FileList> parse(std::string_view bytes, Format format, const std::string& folder) {
    std::string error;
    auto list = format == Format::m3u ? playlistm3u::parse(bytes, folder, error) : playlistjson::parse(bytes, error);
    if (!list)
        failWith(std::move(error));
    return list;
}

std::string serialize(const FileList& list, Format format) {
    return format == Format::m3u ? playlistm3u::write(list) : playlistjson::write(list);
}

std::optional<FileList> load(const std::string& path) {
    const auto bytes = readWholeFile(path);
    if (!bytes)
        return std::nullopt;
    auto list = parse(*bytes, formatOf(path), absoluteFolderOf(path));
    if (!list)
        g_lastError = path + ": " + g_lastError;
    return list;
}

bool save(const std::string& path, const FileList& list) {
    if (atomicfile::replace(path, serialize(list, formatOf(path))) != atomicfile::Result::written)
        return failWith(atomicfile::lastError());
    return true;
}

const std::string& lastError() {
    return g_lastError;
}

} // namespace vistrel::playlistfile
