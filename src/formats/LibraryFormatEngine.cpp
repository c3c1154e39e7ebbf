#include "formats/LibraryFormatEngine.h"

#include "formats/ExivMetadata.h"
#include "formats/HeifImageReader.h"
#include "formats/JxlImageReader.h"

namespace vistrel {

std::unique_ptr<LibraryImageReader> LibraryFormatEngine::createReader(LibraryFormat format,
                                                                      const QString& path) {
    switch (format) {
    case LibraryFormat::heif:
        return std::make_unique<HeifImageReader>(path, QByteArrayLiteral("heif"));
    case LibraryFormat::avif:
        return std::make_unique<HeifImageReader>(path, QByteArrayLiteral("avif"));
    case LibraryFormat::jxl:
        return std::make_unique<JxlImageReader>(path);
    case LibraryFormat::none:
        break;
    }
    return nullptr;
}

std::unique_ptr<PictureMetadata> LibraryFormatEngine::readMetadata(const std::string& path) {
    return std::make_unique<ExivMetadata>(path);
}

} // namespace vistrel
