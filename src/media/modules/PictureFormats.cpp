#include "media/modules/PictureFormats.h"

#include "media/modules/LoadableModule.h"
#include "media/support/LogCategories.h"
#include "media/modules/PictureFormatEngine.h"

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

// Made once, by whichever thread first needs it; null when the module is missing.
PictureFormatEngine* engine() {
    static std::once_flag loaded;
    static LoadableModule module(QStringLiteral("libvistrel_formats.so"), "VISTREL_FORMATS_MODULE",
                                 pictureCategory);
    static std::unique_ptr<PictureFormatEngine> made;
    std::call_once(loaded, [] {
        if (const auto factory =
                reinterpret_cast<CreatePictureFormatEngine>(module.resolve(createPictureFormatEngineSymbol)))
            made.reset(factory());
    });
    return made.get();
}

} // namespace

bool PictureFormats::loadNow() {
    return engine() != nullptr;
}

std::unique_ptr<LibraryImageReader> PictureFormats::createReader(LibraryFormat format, const std::string& path,
                                                                  int descriptor) {
    if (PictureFormatEngine* formats = engine())
        return formats->createReader(format, QFile::decodeName(QByteArray::fromStdString(path)), descriptor);
    ::close(descriptor);
    return nullptr;
}

std::unique_ptr<PictureMetadata> PictureFormats::readMetadata(const std::string& path) {
    PictureFormatEngine* formats = engine();
    const int descriptor = formats != nullptr ? SourceFiles::openRegular(path) : -1;
    if (descriptor < 0)
        return std::make_unique<NoMetadata>();
    std::unique_ptr<PictureMetadata> metadata = formats->readMetadata(path, descriptor);
    ::close(descriptor);
    return metadata;
}

} // namespace vistrel
