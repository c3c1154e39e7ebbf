// Feeds arbitrary bytes to the reader of hand-over messages. Besides not crashing:
// whatever it accepts holds only paths a message may carry and is exactly what the
// sender writes for those paths, and no shorter beginning of it is taken as whole
// (the receiver acts on the first complete reading).

#include "FuzzFault.h"
#include "core/intake/HandOverMessage.h"

#include <cstdint>
#include <string_view>

namespace {

using vistrel::fuzz::fault;

void checkAccepted(std::string_view bytes, const std::vector<std::string>& paths) {
    namespace handover = vistrel::handover;
    for (const auto& path : paths)
        if (handover::unacceptablePath(path))
            fault("a path the rules refuse was accepted", bytes);
    const auto again = handover::encode(paths);
    if (!again || *again != bytes)
        fault("an accepted message differs from the one written for its paths", bytes);
    for (const std::size_t size : {bytes.size() - 1, bytes.size() / 2, handover::headerSize})
        if (size < bytes.size() &&
            handover::decode(bytes.substr(0, size)).status != handover::Status::incomplete)
            fault("a beginning of an accepted message was not left waiting", bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto reading = vistrel::handover::decode(bytes);
    if (reading.status == vistrel::handover::Status::complete)
        checkAccepted(bytes, reading.paths);
    return 0;
}
