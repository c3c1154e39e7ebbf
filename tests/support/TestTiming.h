#pragma once

#include <cstdlib>

namespace vistrel::test {

// Waits in tests are sized for a plain build; the sanitizer build runs several times
// slower and sets VISTREL_TEST_TIME_SCALE to stretch them. A wait that separates two
// outcomes (at once versus after a deadline) stays shorter than that deadline.
inline int scaledMilliseconds(int milliseconds) {
    const char* scale = std::getenv("VISTREL_TEST_TIME_SCALE");
    const int factor = scale ? std::atoi(scale) : 1;
    return milliseconds * (factor > 1 ? factor : 1);
}

} // namespace vistrel::test
