#include "core/playlist/PlaylistM3u.h"

#include "core/playlist/PathComponents.h"
#include "core/playlist/TextEncoding.h"

#include <filesystem>
#include <system_error>

namespace vistrel::playlistm3u {

namespace {

constexpr std::string_view header = "#EXTM3U\n";
constexpr std::string_view fileScheme = "file://";
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view line) {
    while (!line.empty() && isBlank(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && isBlank(line.back()))
        line.remove_suffix(1);
    return line;
}

bool startsWithFileScheme(std::string_view line) {
    return line.size() >= fileScheme.size() && paths::lowercaseAscii(line.substr(0, fileScheme.size())) == fileScheme;
}

// "scheme://..." with a scheme of letters, digits, '+', '-' and '.', starting with a letter.
bool isUrl(std::string_view line) {
    const auto colon = line.find("://");
    if (colon == std::string_view::npos || colon == 0)
        return false;
    const auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!isAlpha(line[0]))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const char c = line[i];
        if (!isAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

// The local path of a file:// URL (host "localhost" or empty), nullopt when it names none.
std::optional<std::string> pathOfFileUrl(std::string_view url) {
    std::string_view rest = url.substr(fileScheme.size());
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    return textencoding::percentDecoded(rest.substr(slash));
}

std::optional<std::string> pathOfLine(std::string_view line, const std::string& folder) {
    if (startsWithFileScheme(line))
        return pathOfFileUrl(line);
    if (line.front() == '/' || isUrl(line))
        return std::string(line);
    return paths::appendingPathComponent(folder, line);
}

// A relative path of the list was taken from the working folder when it came in,
// as the viewer opens it; written down absolute, it means the same from the list's folder.
std::string absolute(const std::string& path) {
    if (!path.empty() && path.front() == '/')
        return path;
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    return error ? "/" + path : paths::appendingPathComponent(here.string(), path);
}

bool needsUrl(std::string_view path) {
    return path.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos ||
           (!path.empty() && isBlank(path.back())) || !textencoding::isValidUtf8(path);
}

// URLs stay URLs; only what would break the line is escaped.
std::string lineForUrl(std::string_view url) {
    std::string line;
    for (const char c : url) {
        if (c == '\r' || c == '\n' || c == '\0')
            line += textencoding::percentEncoded(std::string_view(&c, 1));
        else
            line += c;
    }
    return line;
}

std::string lineFor(const std::string& path) {
    if (isUrl(path) && !startsWithFileScheme(path))
        return lineForUrl(path);
    const std::string full = absolute(path);
    if (needsUrl(full))
        return std::string(fileScheme) + textencoding::percentEncoded(full);
    return full;
}

} // namespace

std::optional<FileList> parse(std::string_view bytes, const std::string& folder, std::string& error) {
    if (bytes.find('\0') != std::string_view::npos) {
        error = "the file holds NUL bytes: not a text play list";
        return std::nullopt;
    }
    if (bytes.starts_with(byteOrderMark))
        bytes.remove_prefix(byteOrderMark.size());
    FileList list;
    while (!bytes.empty()) {
        const auto end = bytes.find_first_of("\r\n");
        const std::string_view line = trimmed(bytes.substr(0, end));
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        if (auto path = pathOfLine(line, folder))
            list.push_back(PlaylistEntry::forPath(*path));
    }
    return list;
}

std::string write(const FileList& list) {
    std::string out(header);
    for (const PlaylistEntry& entry : list) {
        out += lineFor(entry.path);
        out += '\n';
    }
    return out;
}

} // namespace vistrel::playlistm3u
