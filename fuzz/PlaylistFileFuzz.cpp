// Feeds arbitrary bytes to the play list readers, in both formats. Besides not
// crashing, whatever a reader accepts must survive being written and read again
// unchanged: that is what saving a loaded list relies on.

#include "FuzzFault.h"
#include "core/playlist/PlaylistFile.h"
#include "core/playlist/PlaylistJson.h"

#include <cstdint>
#include <string_view>

namespace {

using vistrel::fuzz::fault;
using vistrel::playlistfile::Format;

void checkRoundTrip(std::string_view bytes, Format format) {
    namespace file = vistrel::playlistfile;
    const auto list = file::parse(bytes, format, "/lists");
    if (!list)
        return;
    // Every path read from an M3U is absolute (or a URL), so the folder no longer matters.
    const auto again = file::parse(file::serialize(*list, format), format, "/elsewhere");
    if (!again || *again != *list)
        fault(format == Format::m3u ? "an M3U list changed when written and read again"
                                    : "a native list changed when written and read again",
              bytes);
}

// The fast reader of plain lists must agree with the general one on all it accepts.
void checkFastReader(std::string_view bytes) {
    namespace json = vistrel::playlistjson;
    const auto fast = json::parsePlainShape(bytes);
    if (!fast)
        return;
    std::string error;
    if (json::parseAnyShape(bytes, error) != fast)
        fault("the fast reader disagrees with the general one", bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkFastReader(bytes);
    checkRoundTrip(bytes, Format::native);
    checkRoundTrip(bytes, Format::m3u);
    return 0;
}
