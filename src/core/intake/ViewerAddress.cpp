#include "core/intake/ViewerAddress.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>

namespace vistrel::vieweraddress {

namespace {

constexpr std::size_t longestDisplayPart = 32;

std::string hashed(std::string_view text) {
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    for (int shift = 60; shift >= 0; shift -= 4)
        hex.push_back(digits[(hash >> shift) & 0xfu]);
    return hex;
}

bool isFolder(const char* path) {
    struct stat status {};
    return ::stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

} // namespace

std::string socketName(std::string_view display, unsigned userId) {
    std::string part;
    for (const char c : display)
        part.push_back(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' ? c : '_');
    if (part.empty())
        part = "none";
    else if (part.size() > longestDisplayPart)
        part = hashed(display);
    return "vistrel-" + std::to_string(userId) + "-" + part + ".socket";
}

Folder socketFolder(const char* runtimeFolder, const std::string& temporaryRoot, unsigned userId) {
    if (runtimeFolder && runtimeFolder[0] == '/' && isFolder(runtimeFolder))
        return {std::string(runtimeFolder), {}};
    const std::string path = temporaryRoot + "/vistrel-" + std::to_string(userId);
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return {std::nullopt, systemError("cannot make " + path)};
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return {std::nullopt, systemError("cannot inspect " + path)};
    if (!S_ISDIR(status.st_mode) || status.st_uid != userId || (status.st_mode & 077) != 0)
        return {std::nullopt, path + " is not a private folder of this user"};
    return {path, {}};
}

} // namespace vistrel::vieweraddress
