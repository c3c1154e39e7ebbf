// Decodes arbitrary bytes that the header walk takes for a baseline JPEG with the split
// decoder at several scales: whole, and in three segments run in turn and last first.
// However the data is cut and in whatever order the segments run, the rows must be
// those of one decoder, damaged data included.

#include "FuzzFault.h"
#include "FuzzInputFile.h"
#include "JpegFuzzDecoding.h"

#include <fcntl.h>
#include <string_view>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vistrel;
    static fuzz::FuzzInputFile file;
    const std::string path = file.write(data, size);
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return 0;
    const std::optional<JpegScan> scan = fuzz::scanOf(descriptor, size);
    ::close(descriptor);
    if (!scan)
        return 0;
    const JpegBitReader::FileRead read = fuzz::readFrom(data, size);
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const int eighths : {1, 2, 3, 4, 8}) {
        if (!JpegSplitDecoder::supports(*scan, eighths))
            continue;
        const fuzz::Rows whole = fuzz::splitRows(*scan, eighths, read, 1, Parallelism{});
        if (fuzz::splitRows(*scan, eighths, read, 3, fuzz::lastFirst()) != whole)
            fuzz::fault("three segments run last first decode otherwise than one", input);
        if (fuzz::splitRows(*scan, eighths, read, 3, Parallelism{}) != whole)
            fuzz::fault("three segments run in turn decode otherwise than one", input);
    }
    return 0;
}
