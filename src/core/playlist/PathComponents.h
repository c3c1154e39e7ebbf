#pragma once

#include <string>
#include <string_view>

namespace vistrel::paths {

// Path arithmetic on native byte strings. Nothing here touches the file system or
// assumes an encoding: names that are not valid UTF-8 pass through unchanged.

// The last component, trailing slashes ignored ("a/b/" -> "b", "/" -> "/", "" -> "").
std::string lastPathComponent(std::string_view path);

// The part after the last '.' of the last component, "" when there is none. A
// leading dot starts a hidden name, not an extension (".profile" -> "").
std::string pathExtension(std::string_view path);

// ASCII letters lower-cased, every other byte kept.
std::string lowercaseAscii(std::string_view text);

// `folder` joined with the relative `component` by exactly one '/'.
std::string appendingPathComponent(std::string_view folder, std::string_view component);

} // namespace vistrel::paths
