#include "core/intake/ArgumentPaths.h"

#include <algorithm>
#include <cctype>

namespace vistrel::argumentpaths {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// "%2F" becomes the byte 0x2f; a '%' not followed by two hex digits stays as it is.
std::string percentDecoded(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            bytes.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            bytes.push_back(text[i]);
        }
    }
    return bytes;
}

bool isSchemeCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '.' || c == '-';
}

} // namespace

bool isUrl(std::string_view argument) {
    if (startsWithNoCase(argument, "file:"))
        return true;
    const auto end = argument.find("://");
    if (end == std::string_view::npos || end == 0 || !std::isalpha(static_cast<unsigned char>(argument[0])))
        return false;
    return std::all_of(argument.begin(), argument.begin() + static_cast<std::ptrdiff_t>(end),
                       isSchemeCharacter);
}

std::optional<std::string> localPathOfFileUrl(std::string_view url) {
    if (!startsWithNoCase(url, "file:"))
        return std::nullopt;
    std::string_view rest = url.substr(5);
    // A query or fragment is not part of the file's name.
    rest = rest.substr(0, rest.find_first_of("?#"));
    if (rest.starts_with("//")) {
        const auto pathStart = rest.find('/', 2);
        const std::string_view host =
            rest.substr(2, pathStart == std::string_view::npos ? rest.npos : pathStart - 2);
        const bool thisHost = host.empty() || (host.size() == 9 && startsWithNoCase(host, "localhost"));
        if (pathStart == std::string_view::npos || !thisHost)
            return std::nullopt;
        rest = rest.substr(pathStart);
    }
    if (!rest.starts_with('/'))
        return std::nullopt;
    const std::string path = percentDecoded(rest);
    // An encoded NUL would cut the name short wherever it is used.
    if (path.find('\0') != std::string::npos)
        return std::nullopt;
    return cleaned(path);
}

std::string cleaned(std::string_view absolutePath) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= absolutePath.size()) {
        const auto end = std::min(absolutePath.find('/', start), absolutePath.size());
        const std::string_view part = absolutePath.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string path;
    for (const auto part : parts)
        path.append("/").append(part);
    return path.empty() ? "/" : path;
}

std::vector<std::string> resolve(const std::vector<std::string>& arguments,
                                 const std::optional<std::string>& workingFolder) {
    std::vector<std::string> paths;
    for (const std::string& argument : arguments) {
        if (argument.empty())
            continue;
        if (isUrl(argument)) {
            if (auto path = localPathOfFileUrl(argument))
                paths.push_back(std::move(*path));
        } else if (argument.front() == '/') {
            paths.push_back(cleaned(argument));
        } else if (workingFolder) {
            paths.push_back(cleaned(*workingFolder + "/" + argument));
        }
    }
    return paths;
}

} // namespace vistrel::argumentpaths
