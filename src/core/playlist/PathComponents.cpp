#include "core/playlist/PathComponents.h"

#include <algorithm>

namespace vistrel::paths {

namespace {

std::string_view withoutTrailingSlashes(std::string_view path) {
    const auto last = path.find_last_not_of('/');
    if (last == std::string_view::npos)
        return path.substr(0, std::min<std::size_t>(path.size(), 1));
    return path.substr(0, last + 1);
}

} // namespace

std::string lastPathComponent(std::string_view path) {
    const std::string_view trimmed = withoutTrailingSlashes(path);
    if (trimmed == "/")
        return std::string(trimmed);
    const auto slash = trimmed.rfind('/');
    return std::string(slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1));
}

std::string pathExtension(std::string_view path) {
    const std::string name = lastPathComponent(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return {};
    return name.substr(dot + 1);
}

std::string lowercaseAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string appendingPathComponent(std::string_view folder, std::string_view component) {
    std::string joined(withoutTrailingSlashes(folder));
    if (!joined.empty() && joined.back() != '/')
        joined += '/';
    joined += component;
    return joined;
}

} // namespace vistrel::paths
