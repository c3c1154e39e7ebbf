#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vistrel::textencoding {

// File names on Linux are bytes, while play list files hold text. These helpers
// carry names that are not valid UTF-8 through such files without losing a byte.

// True when every byte belongs to a well-formed UTF-8 sequence (no overlong
// forms, no surrogates, nothing above U+10FFFF): exactly what a JSON parser accepts.
bool isValidUtf8(std::string_view text);

// The text with every byte that is not part of a well-formed sequence replaced by
// U+FFFD: readable, but no longer the exact name.
std::string withReplacementCharacters(std::string_view text);

// Lower-case hexadecimal, two digits a byte.
std::string toHex(std::string_view bytes);
// nullopt when `hex` has an odd length or a character that is not a hex digit.
std::optional<std::string> fromHex(std::string_view hex);

// Every byte but the URL-unreserved ones and '/' as %XX, for the path of a file:// URL.
std::string percentEncoded(std::string_view bytes);
// %XX sequences turned back into bytes; a '%' not followed by two hex digits stays as it is.
std::string percentDecoded(std::string_view text);

} // namespace vistrel::textencoding
