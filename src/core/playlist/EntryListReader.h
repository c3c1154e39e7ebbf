#pragma once

#include "core/playlist/PlaylistStore.h"

#include <array>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace vistrel {

// Builds play list entries straight from the events of the JSON parser, so a
// large list is read without an intermediate document, and so a file that is not
// a list of entries is refused at its first wrong token. Nesting is bounded: a
// file of endless brackets stops at `maximumDepth` instead of growing stacks.
class EntryListReader final : public nlohmann::json_sax<nlohmann::json> {
public:
    // The root array and an entry object are two levels; the rest is for the values
    // of further keys.
    static constexpr std::size_t maximumDepth = 64;

    explicit EntryListReader(FileList& list) : m_list(list) {}

    // Why reading stopped, once a call answered false.
    const std::string& error() const { return m_error; }

    bool null() override { return value(nullptr); }
    bool boolean(bool flag) override { return value(flag); }
    bool number_integer(number_integer_t number) override { return value(number); }
    bool number_unsigned(number_unsigned_t number) override { return value(number); }
    bool number_float(number_float_t number, const string_t&) override { return value(number); }
    bool string(string_t& text) override;
    bool binary(binary_t&) override { return fail("binary data where text belongs"); }
    bool start_object(std::size_t) override;
    bool key(string_t& name) override;
    bool end_object() override;
    bool start_array(std::size_t) override;
    bool end_array() override;
    bool parse_error(std::size_t position, const std::string& token,
                     const nlohmann::json::exception& problem) override;

private:
    static constexpr std::size_t entryDepth = 2;

    bool fail(std::string reason);
    std::string entryProblem(const std::string& what) const;
    bool value(nlohmann::json&& item);
    bool setField(nlohmann::json&& item);
    bool refuseText();
    bool setExactBytes(std::size_t field, nlohmann::json&& item);
    nlohmann::json& place(nlohmann::json&& item);
    bool openContainer(nlohmann::json&& empty);
    bool closeContainer();
    void startEntry();
    bool finishEntry();

    FileList& m_list;
    std::string m_error;
    std::size_t m_depth = 0; // containers open: 1 in the root array, 2 in an entry
    std::string m_key;       // the key whose value comes next
    PlaylistEntry m_entry;
    std::array<bool, 3> m_given{};                          // per text key: the file set it
    std::array<std::optional<std::string>, 3> m_exact{};    // per text key: its exact bytes
    // The containers of a further key's value being built, innermost last. Each points
    // into its parent, which only grows at its end while the child is open.
    std::vector<nlohmann::json*> m_open;
};

} // namespace vistrel
