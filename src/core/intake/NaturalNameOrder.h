#pragma once

#include <compare>
#include <string_view>

namespace vistrel {

// The order file managers list names in: "IMG_2" before "IMG_10", "a" and "B" folded
// together. Names are byte strings in no particular encoding, so only ASCII letters
// are folded, runs of ASCII digits compare by their value and every other byte by
// its unsigned value. Names equal so far are told apart first by their digit runs'
// lengths (a run with fewer leading zeros first: "7" before "07"), then by their
// bytes, so that only equal names compare equal and the order is total.
struct NaturalNameOrder {
    static std::strong_ordering compare(std::string_view a, std::string_view b);
    bool operator()(std::string_view a, std::string_view b) const { return compare(a, b) < 0; }
};

} // namespace vistrel
