#include "core/playlist/TextEncoding.h"

namespace vistrel::textencoding {

namespace {

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";
constexpr std::string_view hexDigits = "0123456789abcdef";
constexpr std::string_view upperHexDigits = "0123456789ABCDEF"; // what URLs customarily use

unsigned byteAt(std::string_view text, std::size_t at) {
    return static_cast<unsigned char>(text[at]);
}

// The length of the well-formed UTF-8 sequence starting at `at`, 0 when there is none.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
    const unsigned lead = byteAt(text, at);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned low = 0x80; // the second byte's range narrows for some lead bytes
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80; // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    const unsigned second = byteAt(text, at + 1);
    if (second < low || second > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k) {
        const unsigned next = byteAt(text, at + k);
        if (next < 0x80 || next > 0xBF)
            return 0;
    }
    return length;
}

int hexValue(char digit) {
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}

void appendHexByte(std::string& out, unsigned byte, std::string_view digits = hexDigits) {
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
}

bool isUnreservedInPath(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}

} // namespace

bool isValidUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = sequenceLength(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

std::string withReplacementCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = sequenceLength(text, at);
        if (length == 0) {
            out += replacementCharacter;
            ++at;
            continue;
        }
        out.append(text.substr(at, length));
        at += length;
    }
    return out;
}

std::string toHex(std::string_view bytes) {
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (std::size_t at = 0; at < bytes.size(); ++at)
        appendHexByte(hex, byteAt(bytes, at));
    return hex;
}

std::optional<std::string> fromHex(std::string_view hex) {
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t at = 0; at < hex.size(); at += 2) {
        const int high = hexValue(hex[at]);
        const int low = hexValue(hex[at + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

std::string percentEncoded(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        if (isUnreservedInPath(bytes[at])) {
            out += bytes[at];
            continue;
        }
        out += '%';
        appendHexByte(out, byteAt(bytes, at), upperHexDigits);
    }
    return out;
}

std::string percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const int high = text[at] == '%' && at + 2 < text.size() ? hexValue(text[at + 1]) : -1;
        const int low = high >= 0 ? hexValue(text[at + 2]) : -1;
        if (low < 0) {
            out += text[at];
            continue;
        }
        out += static_cast<char>(high * 16 + low);
        at += 2;
    }
    return out;
}

} // namespace vistrel::textencoding
