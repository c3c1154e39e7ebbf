// Feeds arbitrary bytes to the play list readers, in both formats. Besides not
// crashing, whatever a reader accepts must survive being written and read again
// unchanged: that is what saving a loaded list relies on.

#include "playlist/PlaylistFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

using vistrel::playlistfile::Format;

void checkRoundTrip(std::string_view bytes, Format format) {
    namespace file = vistrel::playlistfile;
    const auto list = file::parse(bytes, format, "/lists");
    if (!list)
        return;
    // Every path read from an M3U is absolute (or a URL), so the folder no longer matters.
    const auto again = file::parse(file::serialize(*list, format), format, "/elsewhere");
    if (!again || *again != *list) {
        std::fprintf(stderr, "%s list changed when written and read again; the input, C-escaped:\n\"",
                     format == Format::m3u ? "M3U" : "native");
        for (const char c : bytes)
            std::fprintf(stderr, "\\x%02x", static_cast<unsigned char>(c));
        std::fprintf(stderr, "\"\n");
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkRoundTrip(bytes, Format::native);
    checkRoundTrip(bytes, Format::m3u);
    return 0;
}
