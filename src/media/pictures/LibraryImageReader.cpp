#include "media/pictures/LibraryImageReader.h"

#include "media/pictures/LibraryFormat.h"
#include "media/modules/PictureFormats.h"

#include "codec/io/SourceFiles.h"
#include "core/playlist/PathComponents.h"

#include <unistd.h>

namespace vistrel {

namespace {

// A file of such a format while its readers are missing: unreadable, like a damaged
// one, rather than handed to Qt's readers, which would call it no picture at all.
class MissingImageReader final : public LibraryImageReader {
  public:
    std::optional<Header> header() override { return std::nullopt; }
    QImage read() override { return {}; }
};

} // namespace

// Told apart by content rather than by name: a photo saved as "IMG_0001.jpg" that is
// really HEIC still shows, and a JPEG named ".heic" still goes to Qt's reader.
std::unique_ptr<LibraryImageReader> LibraryImageReader::forFile(const std::string& path) {
    const int descriptor = SourceFiles::openRegular(path);
    if (descriptor < 0)
        return nullptr;
    const LibraryFormat format = libraryFormatOf(fileHead(descriptor));
    if (format == LibraryFormat::none) {
        ::close(descriptor);
        return nullptr;
    }
    if (std::unique_ptr<LibraryImageReader> reader = PictureFormats::createReader(format, path, descriptor))
        return reader;
    return std::make_unique<MissingImageReader>();
}

// A fixed list, so that the start-up's type lists need not load the formats module: the
// distribution's libheif and libjxl always come with their HEVC, AV1 and JPEG XL
// decoders.
std::vector<std::string> LibraryImageReader::suffixes() {
    return {"heic", "heif", "hif", "avif", "jxl"};
}

// Phones store a thumbnail with every HEIF photo; JPEG XL files carry none worth it.
bool LibraryImageReader::mayCarryFirstLook(const std::string& path) {
    const std::string suffix = paths::lowercaseAscii(paths::pathExtension(path));
    return suffix == "heic" || suffix == "heif" || suffix == "hif" || suffix == "avif";
}

} // namespace vistrel
