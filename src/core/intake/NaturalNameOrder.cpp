#include "core/intake/NaturalNameOrder.h"

#include <cstddef>

namespace vistrel {

namespace {

bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

unsigned char folded(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

unsigned char byteAt(std::string_view text, std::size_t index) {
    return static_cast<unsigned char>(text[index]);
}

// The end of the digit run starting at `start`.
std::size_t digitRunEnd(std::string_view text, std::size_t start) {
    while (start < text.size() && isDigit(byteAt(text, start)))
        ++start;
    return start;
}

// The first digit of a run that is not a leading zero (the run's last digit at the latest).
std::size_t significantStart(std::string_view text, std::size_t start, std::size_t end) {
    while (start + 1 < end && text[start] == '0')
        ++start;
    return start;
}

// Two digit runs by value: more significant digits is larger, else digit by digit.
// Runs are short: a plain loop beats a call to memcmp.
std::strong_ordering compareValues(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return a.size() <=> b.size();
    for (std::size_t k = 0; k < a.size(); ++k)
        if (a[k] != b[k])
            return a[k] <=> b[k];
    return std::strong_ordering::equal;
}

} // namespace

std::strong_ordering NaturalNameOrder::compare(std::string_view a, std::string_view b) {
    // Runs of equal value but different lengths decide only when nothing else does.
    std::strong_ordering runLengths = std::strong_ordering::equal;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const unsigned char ca = byteAt(a, i);
        const unsigned char cb = byteAt(b, j);
        if (ca == cb && !isDigit(ca)) { // the common case: a shared stem
            ++i;
            ++j;
            continue;
        }
        if (isDigit(ca) && isDigit(cb)) {
            const std::size_t endA = digitRunEnd(a, i);
            const std::size_t endB = digitRunEnd(b, j);
            const std::size_t fromA = significantStart(a, i, endA);
            const std::size_t fromB = significantStart(b, j, endB);
            const auto values = compareValues(a.substr(fromA, endA - fromA), b.substr(fromB, endB - fromB));
            if (values != 0)
                return values;
            if (runLengths == 0)
                runLengths = (endA - i) <=> (endB - j);
            i = endA;
            j = endB;
            continue;
        }
        if (folded(ca) != folded(cb))
            return folded(ca) <=> folded(cb);
        ++i;
        ++j;
    }
    // A name that is the start of the other comes first.
    if (const auto rest = (a.size() - i) <=> (b.size() - j); rest != 0)
        return rest;
    if (runLengths != 0)
        return runLengths;
    return a.compare(b) <=> 0;
}

} // namespace vistrel
