#include "formats/LibraryFormatEngine.h"

#include "formats/HeifImageReader.h"
#include "formats/JxlImageReader.h"

namespace vistrel {

std::unique_ptr<LibraryImageReader> LibraryFormatEngine::createReader(LibraryFormat format, const QString& path,
                                                                      int descriptor) {
    OwnedDescriptor file(descriptor);
    switch (format) {
    case LibraryFormat::heif:
        return std::make_unique<HeifImageReader>(path, QByteArrayLiteral("heif"), std::move(file));
    case LibraryFormat::avif:
        return std::make_unique<HeifImageReader>(path, QByteArrayLiteral("avif"), std::move(file));
    case LibraryFormat::jxl:
        return std::make_unique<JxlImageReader>(path, std::move(file));
    case LibraryFormat::none:
        break;
    }
    return nullptr;
}

} // namespace vistrel
