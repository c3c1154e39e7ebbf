#include "media/modules/PictureFormats.h"

#include "media/modules/LoadableModule.h"
#include "media/support/LogCategories.h"
#include "media/modules/PictureFormatEngine.h"
#include "media/modules/PictureMetadataEngine.h"

#include "codec/io/SourceFiles.h"

#include <QFile>
#include <mutex>
#include <unistd.h>

namespace vistrel {

namespace {

// What a picture has when its metadata cannot be read at all.
class NoMetadata final : public PictureMetadata {
  public:
    std::optional<int> orientation() const override { return std::nullopt; }
    std::optional<Resolution> resolutionDpi() const override { return std::nullopt; }
    const Attributes& properties() const override { return m_none; }

  private:
    Attributes m_none;
};

const QLoggingCategory& pictureCategory() {
    return lcPicture();
}

// The engine of a module, made once by whichever thread first needs it; null when the
// module is missing.
template <typename Engine>
Engine* engineOf(const QString& fileName, const char* pathVariable, const char* symbol) {
    static std::once_flag loaded;
    static LoadableModule module(fileName, pathVariable, pictureCategory);
    static std::unique_ptr<Engine> made;
    std::call_once(loaded, [symbol] {
        using Create = Engine* (*)();
        if (const auto factory = reinterpret_cast<Create>(module.resolve(symbol)))
            made.reset(factory());
    });
    return made.get();
}

PictureFormatEngine* readers() {
    return engineOf<PictureFormatEngine>(QStringLiteral("libvistrel_formats.so"), "VISTREL_FORMATS_MODULE",
                                         createPictureFormatEngineSymbol);
}

PictureMetadataEngine* metadataReader() {
    return engineOf<PictureMetadataEngine>(QStringLiteral("libvistrel_metadata.so"), "VISTREL_METADATA_MODULE",
                                           createPictureMetadataEngineSymbol);
}

} // namespace

bool PictureFormats::loadReadersNow() {
    return readers() != nullptr;
}

bool PictureFormats::loadMetadataNow() {
    return metadataReader() != nullptr;
}

std::unique_ptr<LibraryImageReader> PictureFormats::createReader(LibraryFormat format, const std::string& path,
                                                                  int descriptor) {
    if (PictureFormatEngine* formats = readers())
        return formats->createReader(format, QFile::decodeName(QByteArray::fromStdString(path)), descriptor);
    ::close(descriptor);
    return nullptr;
}

std::unique_ptr<PictureMetadata> PictureFormats::readMetadata(const std::string& path) {
    PictureMetadataEngine* exif = metadataReader();
    const int descriptor = exif != nullptr ? SourceFiles::openRegular(path) : -1;
    if (descriptor < 0)
        return std::make_unique<NoMetadata>();
    std::unique_ptr<PictureMetadata> metadata = exif->readMetadata(path, descriptor);
    ::close(descriptor);
    return metadata;
}

} // namespace vistrel
