#include "media/pictures/QtPictureService.h"

#include "media/modules/PictureFormats.h"
#include "media/pictures/ApngFrames.h"
#include "media/pictures/ExifOrientationSegment.h"
#include "media/pictures/JpegHeader.h"
#include "media/pictures/LibraryAnimationFrames.h"
#include "media/pictures/LibraryImageReader.h"
#include "media/pictures/PictureDecoder.h"
#include "media/pictures/QtAnimationFrames.h"
#include "media/pictures/QtPicture.h"
#include "media/support/DescriptorDevice.h"
#include "media/support/LogCategories.h"
#include "media/types/MimeSuffixes.h"
#include "media/types/ReadableImageTypes.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

namespace vistrel {

namespace {

QString toQString(const std::string& path) {
    return QString::fromStdString(path);
}

std::optional<int> orientationOf(QImageIOHandler::Transformations transformation) {
    switch (transformation.toInt()) {
    case QImageIOHandler::TransformationMirror:
        return 2;
    case QImageIOHandler::TransformationRotate180:
        return 3;
    case QImageIOHandler::TransformationFlip:
        return 4;
    case QImageIOHandler::TransformationFlipAndRotate90:
        return 5;
    case QImageIOHandler::TransformationRotate90:
        return 6;
    case QImageIOHandler::TransformationMirrorAndRotate90:
        return 7;
    case QImageIOHandler::TransformationRotate270:
        return 8;
    default:
        return std::nullopt; // "none" cannot tell an upright picture from one without the tag
    }
}

// exiv2 knows more containers; the reader's own reading of the tag covers the rest.
std::optional<int> storedOrientation(const PictureMetadata& metadata, QImageReader& reader) {
    if (const auto orientation = metadata.orientation())
        return orientation;
    return orientationOf(reader.transformation());
}

// The decoder's reader tells the orientation of the common formats (JPEG, TIFF) at no
// cost; exiv2 is asked only about containers whose reader cannot tell (WebP, PNG).
std::optional<int> decodedOrientation(const PictureDecoder::Result& decoded, const std::string& path) {
    if (decoded.transformation)
        return orientationOf(*decoded.transformation);
    return PictureFormats::readMetadata(path)->orientation();
}

const char* colorModelOf(QImage::Format format) {
    switch (format) {
    case QImage::Format_Invalid:
        return nullptr;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
        return "Indexed";
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
    case QImage::Format_Alpha8:
        return "Gray";
    default:
        return "RGB";
    }
}

int bitsPerSampleOf(QImage::Format format) {
    switch (format) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return 1;
    case QImage::Format_RGB444:
    case QImage::Format_ARGB4444_Premultiplied:
        return 4;
    case QImage::Format_RGB16:
    case QImage::Format_RGB555:
    case QImage::Format_ARGB8555_Premultiplied:
        return 5;
    case QImage::Format_RGB666:
    case QImage::Format_ARGB6666_Premultiplied:
        return 6;
    case QImage::Format_BGR30:
    case QImage::Format_A2BGR30_Premultiplied:
    case QImage::Format_RGB30:
    case QImage::Format_A2RGB30_Premultiplied:
        return 10;
    case QImage::Format_Grayscale16:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
    case QImage::Format_RGBX16FPx4:
    case QImage::Format_RGBA16FPx4:
    case QImage::Format_RGBA16FPx4_Premultiplied:
        return 16;
    case QImage::Format_RGBX32FPx4:
    case QImage::Format_RGBA32FPx4:
    case QImage::Format_RGBA32FPx4_Premultiplied:
        return 32;
    default:
        return 8;
    }
}

// Depth and colour model: JPEG's own frame header knows CMYK and 12-bit samples,
// which the reader converts away; every other format is described by the reader.
void describePixels(const std::string& path, const QByteArray& format, QImage::Format imageFormat,
                    PictureInfo& info) {
    if (format == "jpeg" || format == "jpg") {
        if (const auto header = JpegHeader::read(path)) {
            info.depth = header->precision;
            info.colorModel = header->components == 4 ? "CMYK" : header->components == 1 ? "Gray" : "RGB";
            if (header->densityDpi) {
                info.dpiWidth = header->densityDpi->x;
                info.dpiHeight = header->densityDpi->y;
            }
            return;
        }
    }
    if (const char* model = colorModelOf(imageFormat)) {
        info.depth = bitsPerSampleOf(imageFormat);
        info.colorModel = model;
    }
}

std::string printed(double value) {
    return QString::number(value).toStdString();
}

std::optional<bool> hasAlpha(QImage::Format imageFormat) {
    if (imageFormat == QImage::Format_Invalid)
        return std::nullopt;
    return QImage::toPixelFormat(imageFormat).alphaUsage() == QPixelFormat::UsesAlpha;
}

void addReadableProperties(const QByteArray& format, std::optional<bool> alpha, PictureInfo& info) {
    Attributes& out = info.properties;
    out.emplace_back("Format", format.toStdString());
    out.emplace_back("PixelWidth", std::to_string(*info.pixelWidth));
    out.emplace_back("PixelHeight", std::to_string(*info.pixelHeight));
    if (info.depth)
        out.emplace_back("Depth", std::to_string(*info.depth));
    if (info.colorModel)
        out.emplace_back("ColorModel", *info.colorModel);
    if (alpha)
        out.emplace_back("HasAlpha", *alpha ? "1" : "0");
    if (info.orientation)
        out.emplace_back("Orientation", std::to_string(*info.orientation));
    if (info.dpiWidth && info.dpiHeight) {
        out.emplace_back("DPIWidth", printed(*info.dpiWidth));
        out.emplace_back("DPIHeight", printed(*info.dpiHeight));
    }
}

// Readers of some formats (WebP, GIF) tell the pixel format only by decoding; a
// small decode of the first image then tells it.
QImage::Format pixelFormatOf(QImageReader& reader, const std::string& path, const Parallelism& parallelism) {
    const QImage::Format format = reader.imageFormat();
    if (format != QImage::Format_Invalid)
        return format;
    constexpr QSize enoughToTellTheFormat(16, 16);
    return PictureDecoder::decode(path, enoughToTellTheFormat, parallelism).image.format();
}

// The stored size of a picture whose reader cannot tell it without decoding.
QSize measuredSize(QImageReader& reader, const std::string& path, const Parallelism& parallelism) {
    const QSize size = reader.size();
    if (size.isValid())
        return size;
    const PictureDecoder::Result decoded = PictureDecoder::decode(path, {}, parallelism);
    return decoded.image.isNull() ? QSize() : decoded.storedSize;
}

// The picture with every stored pixel: a scaled-down decode is decoded again at full
// size; when that fails, what is held is better than nothing.
QImage fullImageOf(const PictureImage& picture, const Parallelism& parallelism) {
    if (picture.isFullResolution() || picture.path().empty())
        return picture.image();
    PictureDecoder::Result decoded = PictureDecoder::decode(picture.path(), {}, parallelism);
    return decoded.image.isNull() ? picture.image() : decoded.image;
}

QByteArray encode(const Picture& picture, const char* format, std::optional<int> quality,
                  const Parallelism& parallelism) {
    const PictureImage* pixels = picture.pixels();
    if (pixels == nullptr || pixels->image().isNull()) {
        qCWarning(lcPicture) << "no image to encode as" << format;
        return {};
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality)
        writer.setQuality(*quality);
    if (!writer.write(fullImageOf(*pixels, parallelism))) {
        qCWarning(lcPicture) << "encoding as" << format << "failed:" << writer.errorString();
        return {};
    }
    return bytes;
}

void addResolution(const PictureMetadata& metadata, PictureInfo& info) {
    if (const auto dpi = metadata.resolutionDpi()) {
        info.dpiWidth = dpi->x;
        info.dpiHeight = dpi->y;
    }
}

void appendProperties(const PictureMetadata& metadata, PictureInfo& info) {
    const Attributes& properties = metadata.properties();
    info.properties.insert(info.properties.end(), properties.begin(), properties.end());
}

// The format's own header tells size, depth and orientation; exiv2 reads the Exif and
// XMP boxes, but its orientation tag is not taken: the format's own orientation (or
// the turn already applied when decoding) is what the pixels follow.
PictureInfo inspectWith(LibraryImageReader& reader, const std::string& path) {
    PictureInfo info;
    const std::optional<LibraryImageReader::Header> header = reader.header();
    if (!header) {
        info.status = PictureStatus::unreadable;
        return info;
    }
    info.status = PictureStatus::ok;
    info.pixelWidth = header->size.width();
    info.pixelHeight = header->size.height();
    info.depth = header->bitsPerSample;
    info.colorModel = header->gray ? "Gray" : "RGB";
    info.orientation = orientationOf(header->transformation);
    const std::unique_ptr<PictureMetadata> metadata = PictureFormats::readMetadata(path);
    addResolution(*metadata, info);
    addReadableProperties(header->format, header->alpha, info);
    appendProperties(*metadata, info);
    return info;
}

std::vector<std::uint8_t> toBytes(const QByteArray& data) {
    return {data.cbegin(), data.cend()};
}

} // namespace

QSize pictureBoundFor(std::optional<Size> neededSize) {
    if (!neededSize)
        return {};
    return {static_cast<int>(std::ceil(neededSize->width)), static_cast<int>(std::ceil(neededSize->height))};
}

QtPictureService::QtPictureService(Parallelism parallelism) : m_parallelism(std::move(parallelism)) {
    PictureDecoder::applyAllocationLimit();
}

// A head start still waiting for the application learns that none will come.
QtPictureService::~QtPictureService() {
    applicationReady(std::nullopt);
}

void QtPictureService::applicationReady(std::optional<Size> neededSize) {
    if (std::exchange(m_ready, true))
        return;
    m_applicationReady.set_value(neededSize);
}

std::vector<std::string> QtPictureService::pictureFileTypes() const {
    std::vector<std::string> types;
    for (const QByteArray& name : ReadableImageTypes::mimeTypes())
        types.push_back(name.toStdString());
    std::vector<std::string> suffixes = MimeSuffixes::installed().of(types);
    for (const std::string& suffix : LibraryImageReader::suffixes())
        if (std::find(suffixes.begin(), suffixes.end(), suffix) == suffixes.end())
            suffixes.push_back(suffix);
    return suffixes;
}

void QtPictureService::decodeAhead(const std::string& path,
                                   std::function<std::optional<Size>()> guessNeededSize, Executor& executor) {
    auto findSize = [guess = std::move(guessNeededSize), ready = m_readySize]() -> std::optional<Size> {
        if (std::optional<Size> guessed = guess())
            return guessed;
        return ready.get();
    };
    m_headStart.start(
        path, std::move(findSize),
        [this, ready = m_readySize, parallelism = m_parallelism](const std::string& file, Size size) {
            if (std::optional<DecodedPicture> own = decodeWithOwnDecoders(file, size, [] { return true; }))
                return std::move(*own);
            if (!ready.get())
                return DecodedPicture{}; // the program ended before its windows were made
            return decodeNow(file, size, parallelism);
        },
        executor);
}

std::optional<PictureDecodedAhead> QtPictureService::takeFinishedDecode(const std::string& path,
                                                                        Size neededSize) {
    return m_headStart.takeIfDone(path, neededSize);
}

std::optional<DecodedPicture> QtPictureService::decodeWithOwnDecoders(const std::string& path,
                                                                     std::optional<Size> neededSize,
                                                                     const StillWanted& stillWanted) const {
    Parallelism parallelism = m_parallelism;
    parallelism.abandoned = [stillWanted] { return !stillWanted(); };
    try {
        std::optional<PictureDecoder::Result> own =
            PictureDecoder::decodeWithOwnDecoder(path, pictureBoundFor(neededSize), parallelism);
        if (!own)
            return std::nullopt;
        return decodedPicture(std::move(*own), path);
    } catch (const DecodeAbandoned&) {
        qCDebug(lcPicture) << "gave up decoding" << QFile::decodeName(QByteArray::fromStdString(path))
                           << "- no longer wanted";
        return DecodedPicture{};
    }
}

DecodedPicture QtPictureService::decodeFirstImage(const std::string& path, std::optional<Size> neededSize) {
    return decodeWhileWanted(path, neededSize, [] { return true; });
}

DecodedPicture QtPictureService::decodeWhileWanted(const std::string& path, std::optional<Size> neededSize,
                                                   const StillWanted& stillWanted) {
    if (std::optional<DecodedPicture> ahead = m_headStart.take(path, neededSize))
        return std::move(*ahead);
    Parallelism parallelism = m_parallelism;
    parallelism.abandoned = [stillWanted] { return !stillWanted(); };
    return decodeNow(path, neededSize, parallelism);
}

// A decoder that runs out of memory fails its picture, not the program.
DecodedPicture QtPictureService::decodeNow(const std::string& path, std::optional<Size> neededSize,
                                           const Parallelism& parallelism) {
    PictureDecoder::Result decoded;
    try {
        decoded = PictureDecoder::decode(path, pictureBoundFor(neededSize), parallelism);
    } catch (const DecodeAbandoned&) {
        qCDebug(lcPicture) << "gave up decoding" << QFile::decodeName(QByteArray::fromStdString(path))
                           << "- no longer wanted";
        return {};
    } catch (const std::exception& error) {
        decoded = PictureDecoder::Result::failed({}, QStringLiteral("decoding failed: %1").arg(error.what()));
    }
    if (decoded.image.isNull()) {
        qCInfo(lcPicture) << "cannot decode" << QFile::decodeName(QByteArray::fromStdString(path)) << "-"
                          << decoded.failure;
        return {};
    }
    return decodedPicture(std::move(decoded), path);
}

DecodedPicture QtPictureService::decodedPicture(PictureDecoder::Result decoded, const std::string& path) {
    DecodedPicture result;
    result.orientation = decodedOrientation(decoded, path);
    result.animated = decoded.animated;
    result.picture = std::make_shared<QtPicture>(std::move(decoded.image), decoded.storedSize, path);
    return result;
}

bool QtPictureService::mayHaveFirstLook(const std::string& path) const {
    return LibraryImageReader::mayCarryFirstLook(path);
}

// A file without one is no failure: the picture itself still comes.
DecodedPicture QtPictureService::decodeFirstLook(const std::string& path, Size neededSize) {
    PictureDecoder::Result decoded;
    try {
        decoded = PictureDecoder::decodeFirstLook(path, pictureBoundFor(neededSize));
    } catch (const std::exception& error) {
        decoded = PictureDecoder::Result::failed({}, QString::fromUtf8(error.what()));
    }
    if (decoded.image.isNull()) {
        qCDebug(lcPicture) << "no first look at" << QFile::decodeName(QByteArray::fromStdString(path)) << "-"
                           << decoded.failure;
        return {};
    }
    return decodedPicture(std::move(decoded), path);
}

std::unique_ptr<AnimationFrames> QtPictureService::openAnimation(const std::string& path,
                                                                 std::optional<Size> neededSize) {
    try {
        if (std::unique_ptr<AnimationFrames> png = ApngFrames::open(path, pictureBoundFor(neededSize)))
            return png;
        if (std::unique_ptr<AnimationFrames> library =
                LibraryAnimationFrames::open(path, pictureBoundFor(neededSize)))
            return library;
        return QtAnimationFrames::open(path, pictureBoundFor(neededSize));
    } catch (const std::exception& error) {
        qCInfo(lcPicture) << "cannot animate" << QFile::decodeName(QByteArray::fromStdString(path)) << "-"
                          << error.what();
        return nullptr;
    }
}

PictureInfo QtPictureService::inspect(const std::string& path) {
    PictureInfo info;
    const std::unique_ptr<DescriptorDevice> file = DescriptorDevice::openRegular(path);
    if (!file)
        return info;
    if (const std::unique_ptr<LibraryImageReader> library = LibraryImageReader::forFile(path))
        return inspectWith(*library, path);
    QImageReader reader(file.get());
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return info;

    // The pixel format is only known before the first read.
    const QByteArray format = reader.format();
    const QImage::Format imageFormat = pixelFormatOf(reader, path, m_parallelism);
    const QSize size = measuredSize(reader, path, m_parallelism);
    if (!size.isValid()) {
        qCInfo(lcPicture) << "cannot read the size of" << toQString(path) << "-" << reader.errorString();
        info.status = PictureStatus::unreadable;
        return info;
    }
    info.status = PictureStatus::ok;
    info.pixelWidth = size.width();
    info.pixelHeight = size.height();
    describePixels(path, format, imageFormat, info);

    const std::unique_ptr<PictureMetadata> metadata = PictureFormats::readMetadata(path);
    info.orientation = storedOrientation(*metadata, reader);
    addResolution(*metadata, info);
    addReadableProperties(format, hasAlpha(imageFormat), info);
    appendProperties(*metadata, info);
    return info;
}

std::vector<std::uint8_t> QtPictureService::jpegData(const Picture& picture, float compressionFactor,
                                                     int orientation) {
    const float percent = std::isfinite(compressionFactor) ? compressionFactor * 100.0f : 0.0f;
    const int quality = static_cast<int>(std::lround(std::clamp(percent, 0.0f, 100.0f)));
    const QByteArray jpeg = encode(picture, "jpg", quality, m_parallelism);
    if (jpeg.isEmpty())
        return {};
    return toBytes(ExifOrientationSegment::insertInto(jpeg, orientation));
}

std::vector<std::uint8_t> QtPictureService::tiffData(const Picture& picture) {
    return toBytes(encode(picture, "tiff", std::nullopt, m_parallelism));
}

std::vector<std::uint8_t> QtPictureService::pngData(const Picture& picture) {
    return toBytes(encode(picture, "png", std::nullopt, m_parallelism));
}

} // namespace vistrel
