#include "core/info/DictionaryDescription.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace vistrel {

namespace {

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isWordCharacter(char c) {
    return isAsciiDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isWord(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), isWordCharacter);
}

// "-12", "0.170", "44100": a decimal number with digits on both sides of its point.
bool isDecimalNumber(std::string_view text) {
    if (!text.empty() && text.front() == '-')
        text.remove_prefix(1);
    const auto point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? "0" : text.substr(point + 1);
    const auto allDigits = [](std::string_view part) {
        return !part.empty() && std::all_of(part.begin(), part.end(), isAsciiDigit);
    };
    return allDigits(whole) && allDigits(fraction);
}

// Bytes below the blank and DEL would break or hide parts of the text pane's line.
bool isControlCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

std::string hexEscaped(char c) {
    constexpr std::string_view digits = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(c);
    return {'\\', 'x', digits[byte >> 4], digits[byte & 0x0f]};
}

struct Escape {
    std::string_view sequence;
    std::string_view replacement;
};

// In UTF-8, the next-line control and Unicode's line and paragraph separators: a text
// view breaks the line at each, as at a line feed.
constexpr std::array<Escape, 3> lineBreakingCharacters{
    {{"\xC2\x85", "\\u0085"}, {"\xE2\x80\xA8", "\\u2028"}, {"\xE2\x80\xA9", "\\u2029"}}};

const Escape* lineBreakingCharacterAt(std::string_view rest) {
    for (const Escape& escape : lineBreakingCharacters)
        if (rest.starts_with(escape.sequence))
            return &escape;
    return nullptr;
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (const Escape* escape = lineBreakingCharacterAt(text.substr(i))) {
            out += escape->replacement;
            i += escape->sequence.size() - 1;
            continue;
        }
        const char c = text[i];
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (isControlCharacter(c))
                out += hexEscaped(c);
            else
                out += c;
        }
    }
    out += '"';
    return out;
}

std::string printed(std::string_view text) {
    return isWord(text) || isDecimalNumber(text) ? std::string(text) : quoted(text);
}

} // namespace

std::string DictionaryDescription::of(const Attributes& dictionary) {
    std::string out = "{\n";
    for (const auto& [key, value] : dictionary)
        out += "    " + printed(key) + " = " + printed(value) + ";\n";
    out += "}";
    return out;
}

} // namespace vistrel
