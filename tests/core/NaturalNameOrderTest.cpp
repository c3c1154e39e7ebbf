#include "core/intake/NaturalNameOrder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace vistrel::test {
namespace {

std::vector<std::string> sortedNaturally(std::vector<std::string> names) {
    std::shuffle(names.begin(), names.end(), std::mt19937(7));
    std::sort(names.begin(), names.end(), NaturalNameOrder());
    return names;
}

TEST(NaturalNameOrder, SortsAsAFileManagerLists) {
    const std::vector<std::string> expected{
        "1.jpg",   "2.jpg",  "10.jpg",    "a",      "a1",     "A2",      "a10",
        "b",       "IMG_2",  "IMG_10",    "IMG_10a", "img_10b", "IMG_100", "x9y1",
        "x9y10",   "x10y2",  "\xc3\xa9t\xc3\xa9", "\xff\xfe"};
    EXPECT_EQ(sortedNaturally(expected), expected);
}

// Names the folded, by-value comparison cannot tell apart still get a fixed order.
TEST(NaturalNameOrder, BreaksTiesByLeadingZerosThenBytes) {
    EXPECT_EQ(sortedNaturally({"IMG_007", "IMG_7", "IMG_07"}), (std::vector<std::string>{"IMG_7", "IMG_07", "IMG_007"}));
    EXPECT_EQ(sortedNaturally({"a", "A"}), (std::vector<std::string>{"A", "a"}));
    // The first run that differs in length decides, before any byte does.
    EXPECT_EQ(sortedNaturally({"a1b01", "A01b1"}), (std::vector<std::string>{"a1b01", "A01b1"}));
    EXPECT_EQ(NaturalNameOrder::compare("Same", "Same"), std::strong_ordering::equal);
}

TEST(NaturalNameOrder, ComparesLongDigitRunsWithoutOverflow) {
    EXPECT_TRUE(NaturalNameOrder::compare("f99999999999999999999999", "f100000000000000000000000") < 0);
    EXPECT_TRUE(NaturalNameOrder::compare("f00000000000000000000000000002", "f3") < 0);
}

// std::sort needs a strict weak order; a comparator that breaks it corrupts memory.
TEST(NaturalNameOrder, IsATotalOrder) {
    const std::vector<std::string> names{"", "0", "00", "007", "7", "a", "A", "a0", "a00", "a7b", "a07B", "a7", "_",
                                         "~", ".", "a.", "a.1", "a.01", "\x80", "\xff", "9\xff", "09", "Z", "z9"};
    for (const auto& a : names) {
        EXPECT_EQ(NaturalNameOrder::compare(a, a), std::strong_ordering::equal) << a;
        for (const auto& b : names) {
            const auto ab = NaturalNameOrder::compare(a, b);
            EXPECT_EQ(ab == 0, a == b) << a << " / " << b;
            EXPECT_EQ(ab < 0, NaturalNameOrder::compare(b, a) > 0) << a << " / " << b;
            for (const auto& c : names) {
                if (ab < 0 && NaturalNameOrder::compare(b, c) < 0) {
                    EXPECT_TRUE(NaturalNameOrder::compare(a, c) < 0) << a << " < " << b << " < " << c;
                }
            }
        }
    }
}

} // namespace
} // namespace vistrel::test
