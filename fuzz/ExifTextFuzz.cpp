// Feeds arbitrary bytes, as a picture file, through the metadata reader and into the
// information text. Nothing may escape from the library, an orientation is 1..8 or
// none, and every property stays on its own line of the text, whatever its bytes.

#include "FuzzFault.h"
#include "FuzzInputFile.h"
#include "core/info/DictionaryDescription.h"
#include "metadata/ExivMetadata.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using vistrel::fuzz::fault;

// Byte sequences a text view breaks a line at: the controls, and in UTF-8 the next-line
// control and the Unicode line and paragraph separators.
bool breaksALine(std::string_view line) {
    const bool control = std::any_of(line.begin(), line.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f;
    });
    return control || line.find("\xC2\x85") != std::string_view::npos ||
           line.find("\xE2\x80\xA8") != std::string_view::npos || line.find("\xE2\x80\xA9") != std::string_view::npos;
}

void checkOneLinePerProperty(const vistrel::Attributes& properties, std::string_view input) {
    const std::string text = vistrel::DictionaryDescription::of(properties);
    std::size_t lines = 0;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        if (breaksALine(std::string_view(text).substr(start, end - start)))
            fault("a property's text breaks its line", input);
        ++lines;
        start = end + 1;
    }
    if (lines != properties.size() + 1 || std::string_view(text).substr(start) != "}")
        fault("the text has not one line per property", input);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static vistrel::fuzz::FuzzInputFile file;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const vistrel::ExivMetadata metadata(file.write(data, size), file.descriptor());
    if (const auto orientation = metadata.orientation(); orientation && (*orientation < 1 || *orientation > 8))
        fault("an orientation outside 1..8", input);
    if (const auto dpi = metadata.resolutionDpi(); dpi && !(dpi->x > 0.0 && dpi->y > 0.0))
        fault("a resolution that is no positive number", input);
    checkOneLinePerProperty(metadata.properties(), input);
    return 0;
}
