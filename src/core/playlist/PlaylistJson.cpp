#include "core/playlist/PlaylistJson.h"

#include "core/playlist/EntryListReader.h"
#include "core/playlist/TextEncoding.h"

#include <algorithm>

namespace vistrel::playlistjson {

namespace {

bool needsEscape(char c) {
    return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
}

// A JSON string of valid UTF-8 text; runs of plain characters are copied whole.
void appendString(std::string& out, std::string_view text) {
    out += '"';
    while (!text.empty()) {
        const auto plain = static_cast<std::size_t>(std::find_if(text.begin(), text.end(), needsEscape) - text.begin());
        out.append(text.substr(0, plain));
        if (plain == text.size())
            break;
        const char c = text[plain];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else {
            out += "\\u00";
            out += textencoding::toHex(text.substr(plain, 1));
        }
        text.remove_prefix(plain + 1);
    }
    out += '"';
}

void appendMember(std::string& out, std::string_view key, std::string_view text) {
    appendString(out, key);
    out += ':';
    appendString(out, text);
}

void appendText(std::string& out, const TextKey& key, const std::string& text) {
    if (textencoding::isValidUtf8(text)) {
        appendMember(out, key.key, text);
        return;
    }
    appendMember(out, key.key, textencoding::withReplacementCharacters(text));
    out += ',';
    appendMember(out, key.bytesKey, textencoding::toHex(text));
}

void appendEntry(std::string& out, const PlaylistEntry& entry) {
    out += '{';
    for (const TextKey& key : textKeys) {
        appendText(out, key, entry.*key.member);
        out += ',';
    }
    appendString(out, activeKey);
    out += entry.active ? ":true" : ":false";
    if (!entry.extra.is_object()) {
        out += '}';
        return;
    }
    for (const auto& [key, value] : entry.extra.items()) {
        if (isFormatKey(key))
            continue;
        out += ',';
        appendString(out, textencoding::withReplacementCharacters(key));
        out += ':';
        out += value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }
    out += '}';
}

bool consume(std::string_view& rest, std::string_view literal) {
    if (!rest.starts_with(literal))
        return false;
    rest.remove_prefix(literal.size());
    return true;
}

void skipWhitespace(std::string_view& rest) {
    while (!rest.empty() && (rest[0] == ' ' || rest[0] == '\n' || rest[0] == '\r' || rest[0] == '\t'))
        rest.remove_prefix(1);
}

// The text up to the closing quote when it needs no escape and is valid UTF-8.
bool plainText(std::string_view& rest, std::string& text) {
    const auto end = rest.find('"');
    if (end == std::string_view::npos)
        return false;
    const std::string_view candidate = rest.substr(0, end);
    if (std::any_of(candidate.begin(), candidate.end(), needsEscape) || !textencoding::isValidUtf8(candidate))
        return false;
    text.assign(candidate);
    rest.remove_prefix(end + 1);
    return true;
}

} // namespace

bool isFormatKey(std::string_view key) {
    if (key == activeKey)
        return true;
    for (const TextKey& text : textKeys)
        if (key == text.key || key == text.bytesKey)
            return true;
    return false;
}

std::optional<FileList> parse(std::string_view bytes, std::string& error) {
    if (auto list = parsePlainShape(bytes))
        return list;
    return parseAnyShape(bytes, error);
}

std::optional<FileList> parsePlainShape(std::string_view rest) {
    skipWhitespace(rest);
    if (!consume(rest, "["))
        return std::nullopt;
    FileList list;
    skipWhitespace(rest);
    bool more = !consume(rest, "]");
    while (more) {
        skipWhitespace(rest);
        PlaylistEntry entry;
        if (!consume(rest, "{\"path\":\"") || !plainText(rest, entry.path) || !consume(rest, ",\"name\":\"") ||
            !plainText(rest, entry.name) || !consume(rest, ",\"type\":\"") || !plainText(rest, entry.type) ||
            !consume(rest, ",\"active\":"))
            return std::nullopt;
        entry.active = consume(rest, "true");
        if ((!entry.active && !consume(rest, "false")) || !consume(rest, "}"))
            return std::nullopt;
        list.push_back(std::move(entry));
        skipWhitespace(rest);
        more = consume(rest, ",");
        if (!more && !consume(rest, "]"))
            return std::nullopt;
    }
    skipWhitespace(rest);
    if (!rest.empty())
        return std::nullopt;
    return list;
}

std::optional<FileList> parseAnyShape(std::string_view bytes, std::string& error) {
    FileList list;
    EntryListReader reader(list);
    if (!nlohmann::json::sax_parse(bytes.begin(), bytes.end(), &reader)) {
        error = reader.error();
        return std::nullopt;
    }
    return list;
}

std::string write(const FileList& list) {
    constexpr std::size_t typicalEntrySize = 160;
    std::string out;
    out.reserve(list.size() * typicalEntrySize + 4);
    out += '[';
    for (std::size_t i = 0; i < list.size(); ++i) {
        out += i == 0 ? "\n" : ",\n";
        appendEntry(out, list[i]);
    }
    out += list.empty() ? "]\n" : "\n]\n";
    return out;
}

} // namespace vistrel::playlistjson
