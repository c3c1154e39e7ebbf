// Feeds arbitrary bytes, as a file, to the streaming PNG and JPEG decoders. Both
// decode through C libraries that report damage by long jumps, and fold rows on a
// second thread or on the decoding one; a baseline JPEG is also decoded in three
// segments at once by our own entropy decoder. Whatever the bytes, a decode must end, and hand back either a
// failure or an image of exactly the size asked for.

#include "FuzzFault.h"
#include "FuzzInputFile.h"
#include "ThreadedParallelism.h"
#include "media/pictures/JpegScaledDecoder.h"
#include "media/pictures/PngScaledDecoder.h"

#include <cstdint>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace {

constexpr QSize target{5, 3};

void check(const std::optional<vistrel::PictureDecoder::Result>& result, const char* decoder,
           std::string_view input) {
    if (!result || result->image.isNull())
        return;
    if (result->image.size() != target)
        vistrel::fuzz::fault(decoder, input);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static vistrel::fuzz::FuzzInputFile file;
    const std::string path = file.write(data, size);
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Alternating, so that both ways of folding meet damaged data.
    static vistrel::test::ThreadedParallelism threads(2);
    const vistrel::Parallelism parallelism = size % 2 == 0 ? threads.parallelism() : vistrel::Parallelism{};
    check(vistrel::PngScaledDecoder::decode(descriptor, target, parallelism), "a PNG image of another size", input);
    check(vistrel::JpegScaledDecoder::decode(descriptor, target, parallelism), "a JPEG image of another size", input);
    check(vistrel::JpegScaledDecoder::decodeInSegments(descriptor, target, parallelism, 3),
          "a JPEG image of another size in segments", input);
    ::close(descriptor);
    return 0;
}
