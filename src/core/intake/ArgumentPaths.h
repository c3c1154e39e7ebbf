#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel::argumentpaths {

// Paths of the files and folders named on the command line, in order, absolute and
// cleaned: relative ones are taken from `workingFolder`, file URLs are decoded, and
// anything that is not a local file (another scheme, a file URL of another host, an
// empty argument) is left out. Names are bytes and pass unchanged, whatever their
// encoding. With no working folder known, relative arguments are left out too.
std::vector<std::string> resolve(const std::vector<std::string>& arguments,
                                 const std::optional<std::string>& workingFolder);

// The path with "." components, doubled and trailing separators removed and ".."
// taken back lexically, as a folder's entries are joined onto it ("/" stays "/").
std::string cleaned(std::string_view absolutePath);

// The local path of a "file:" URL ("file:/x", "file:///x", "file://localhost/x"),
// percent-decoded to bytes; nothing for any other URL.
std::optional<std::string> localPathOfFileUrl(std::string_view url);

// "file:…" or "scheme://…": an argument that is a URL rather than a file name (a
// plain name with a colon, "a:b.png", is a file).
bool isUrl(std::string_view argument);

} // namespace vistrel::argumentpaths
