#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace vistrel::fuzz {

// Stops the run on a broken invariant, printing the input so that it can be replayed
// as a test case (libFuzzer also saves it as crash-<hash>).
[[noreturn]] inline void fault(const char* what, std::string_view bytes) {
    std::fprintf(stderr, "%s; the input, C-escaped:\n\"", what);
    for (const char c : bytes)
        std::fprintf(stderr, "\\x%02x", static_cast<unsigned char>(c));
    std::fprintf(stderr, "\"\n");
    std::abort();
}

} // namespace vistrel::fuzz
