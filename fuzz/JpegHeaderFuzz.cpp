// Feeds arbitrary bytes, as a file, to the JPEG header reader. It walks marker
// segments by their stated lengths, which a damaged file sets to anything, and reads
// an Exif block's directory by its stated offsets: the walk must end, and whatever it
// reports must be usable as it is.

#include "FuzzFault.h"
#include "FuzzInputFile.h"
#include "media/pictures/JpegHeader.h"

#include <QString>
#include <cmath>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static vistrel::fuzz::FuzzInputFile file;
    const std::string path = file.write(data, size);
    const auto header = vistrel::JpegHeader::read(path);
    if (!header)
        return 0;
    if (header->exifOrientation && (*header->exifOrientation < 1 || *header->exifOrientation > 8))
        vistrel::fuzz::fault("an orientation outside 1 to 8", std::string_view(reinterpret_cast<const char*>(data), size));
    if (!header->densityDpi)
        return 0;
    const auto [x, y] = *header->densityDpi;
    if (!(std::isfinite(x) && std::isfinite(y) && x > 0.0 && y > 0.0))
        vistrel::fuzz::fault("a pixel density that is no positive number",
                             std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
