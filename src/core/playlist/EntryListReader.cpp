#include "core/playlist/EntryListReader.h"

#include "core/playlist/PathComponents.h"
#include "core/playlist/PlaylistJson.h"
#include "core/playlist/TextEncoding.h"

namespace vistrel {

namespace {

constexpr std::size_t pathField = 0;
constexpr std::size_t nameField = 1;
constexpr std::size_t typeField = 2;

std::string inQuotes(std::string_view key) {
    return "\"" + std::string(key) + "\"";
}

} // namespace

bool EntryListReader::fail(std::string reason) {
    if (m_error.empty())
        m_error = std::move(reason);
    return false;
}

std::string EntryListReader::entryProblem(const std::string& what) const {
    return "entry " + std::to_string(m_list.size()) + ": " + what;
}

bool EntryListReader::parse_error(std::size_t position, const std::string&,
                                  const nlohmann::json::exception& problem) {
    return fail("not well-formed JSON at byte " + std::to_string(position) + ": " + problem.what());
}

bool EntryListReader::key(string_t& name) {
    m_key = std::move(name);
    return true;
}

// The texts every entry has go straight into it: most of a file is these.
bool EntryListReader::string(string_t& text) {
    if (m_open.empty() && m_depth == entryDepth) {
        for (std::size_t field = 0; field < playlistjson::textKeys.size(); ++field) {
            if (m_key == playlistjson::textKeys[field].key) {
                m_entry.*playlistjson::textKeys[field].member = std::move(text);
                m_given[field] = true;
                return true;
            }
        }
    }
    return value(std::move(text));
}

bool EntryListReader::value(nlohmann::json&& item) {
    if (!m_open.empty()) {
        place(std::move(item));
        return true;
    }
    if (m_depth == entryDepth)
        return setField(std::move(item));
    return fail(m_depth == 0 ? "the file does not hold a list" : "an item of the list is not an entry object");
}

bool EntryListReader::setField(nlohmann::json&& item) {
    if (m_key == playlistjson::activeKey) {
        if (!item.is_boolean())
            return fail(entryProblem("\"active\" is not a boolean"));
        m_entry.active = item.get<bool>();
        return true;
    }
    for (std::size_t field = 0; field < playlistjson::textKeys.size(); ++field) {
        if (m_key == playlistjson::textKeys[field].key)
            return refuseText();
        if (m_key == playlistjson::textKeys[field].bytesKey)
            return setExactBytes(field, std::move(item));
    }
    place(std::move(item));
    return true;
}

// Strings were taken by string(): anything else is the wrong kind.
bool EntryListReader::refuseText() {
    return fail(entryProblem(inQuotes(m_key) + " is not a string"));
}

bool EntryListReader::setExactBytes(std::size_t field, nlohmann::json&& item) {
    std::optional<std::string> bytes;
    if (item.is_string())
        bytes = textencoding::fromHex(item.get_ref<const std::string&>());
    if (!bytes)
        return fail(entryProblem(inQuotes(m_key) + " is not hexadecimal"));
    m_exact[field] = std::move(bytes);
    return true;
}

// Puts a value of a further key where it belongs: into the entry, or into the
// innermost container being built.
nlohmann::json& EntryListReader::place(nlohmann::json&& item) {
    nlohmann::json& parent = m_open.empty() ? m_entry.extra : *m_open.back();
    if (parent.is_array()) {
        parent.push_back(std::move(item));
        return parent.back();
    }
    nlohmann::json& slot = parent[m_key];
    slot = std::move(item);
    return slot;
}

bool EntryListReader::openContainer(nlohmann::json&& empty) {
    if (m_depth >= maximumDepth)
        return fail("nested deeper than " + std::to_string(maximumDepth) + " levels");
    if (m_open.empty() && playlistjson::isFormatKey(m_key))
        return fail(entryProblem(inQuotes(m_key) + " holds a container"));
    m_open.push_back(&place(std::move(empty)));
    ++m_depth;
    return true;
}

bool EntryListReader::closeContainer() {
    m_open.pop_back();
    --m_depth;
    return true;
}

bool EntryListReader::start_object(std::size_t) {
    if (m_depth == 0)
        return fail("the file holds an object, not a list");
    if (m_depth == 1) {
        startEntry();
        return true;
    }
    return openContainer(nlohmann::json::object());
}

bool EntryListReader::start_array(std::size_t) {
    if (m_depth == 0) {
        m_depth = 1;
        return true;
    }
    if (m_depth == 1)
        return fail("an item of the list is a list, not an entry object");
    return openContainer(nlohmann::json::array());
}

bool EntryListReader::end_object() {
    if (!m_open.empty())
        return closeContainer();
    return finishEntry();
}

bool EntryListReader::end_array() {
    if (!m_open.empty())
        return closeContainer();
    m_depth = 0; // the root list is complete
    return true;
}

void EntryListReader::startEntry() {
    m_entry = PlaylistEntry{};
    m_given = {};
    m_exact = {};
    m_depth = entryDepth;
}

// Exact bytes win over the readable text. An entry written by hand may leave out
// name and type: they follow from the path as for any file handed in.
bool EntryListReader::finishEntry() {
    for (std::size_t field = 0; field < m_exact.size(); ++field) {
        if (m_exact[field]) {
            m_entry.*playlistjson::textKeys[field].member = std::move(*m_exact[field]);
            m_given[field] = true;
        }
    }
    if (!m_given[pathField])
        return fail(entryProblem("no \"path\""));
    if (!m_given[nameField])
        m_entry.name = paths::lastPathComponent(m_entry.path);
    if (!m_given[typeField])
        m_entry.type = paths::lowercaseAscii(paths::pathExtension(m_entry.path));
    m_list.push_back(std::move(m_entry));
    m_depth = 1;
    return true;
}

} // namespace vistrel
