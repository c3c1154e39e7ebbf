#include "media/pictures/PictureDecoder.h"

#include "media/pictures/JpegHeader.h"
#include "media/pictures/JpegScaledDecoder.h"
#include "media/pictures/LibraryImageReader.h"
#include "media/pictures/PngMetadataChunks.h"
#include "media/pictures/PngScaledDecoder.h"
#include "media/support/DescriptorDevice.h"
#include "media/support/LogCategories.h"
#include "codec/io/OwnedDescriptor.h"
#include "codec/rows/AreaDownscaler.h"
#include "codec/io/SourceFiles.h"

#include <QColorSpace>
#include <QColorTransform>
#include <QFile>
#include <QImageReader>
#include <array>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vistrel {

namespace {

constexpr qint64 bytesPerDecodedPixel = 4;

bool exceeds(QSize size, QSize bound) {
    return size.width() > bound.width() || size.height() > bound.height();
}

QSize scaledBound(QSize stored, QSize bound) {
    return stored.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// The exact area average our own decoders fold their rows into, where the image's
// layout is one it reads: a library's RGB or premultiplied four channels. Null otherwise.
QImage areaAveraged(const QImage& image, QSize target) {
    const bool redGreenBlue = image.format() == QImage::Format_RGB888;
    const bool fourChannels = image.format() == QImage::Format_RGB32 ||
                              image.format() == QImage::Format_ARGB32_Premultiplied ||
                              image.format() == QImage::Format_RGBA8888_Premultiplied;
    if ((!redGreenBlue && !fourChannels) ||
        !AreaDownscaler::supports(image.width(), image.height(), target.width(), target.height()))
        return {};
    QImage averaged(target, redGreenBlue ? QImage::Format_RGB32 : image.format());
    if (averaged.isNull())
        return {};
    AreaDownscaler downscaler(image.width(), image.height(), target.width(), target.height(), averaged.bits(),
                              averaged.bytesPerLine(),
                              redGreenBlue ? AreaDownscaler::SourceLayout::redGreenBlue
                                           : AreaDownscaler::SourceLayout::fourChannels);
    for (int row = 0; row < image.height(); ++row)
        downscaler.addRow(image.constScanLine(row));
    averaged.setColorSpace(image.colorSpace());
    return averaged;
}

void scaleDownToFit(QImage& image, QSize bound) {
    if (image.isNull() || !bound.isValid() || !exceeds(image.size(), bound))
        return;
    // The bound already keeps the aspect; keeping it again would round a side down.
    const QSize target = scaledBound(image.size(), bound);
    QImage averaged = areaAveraged(image, target);
    image = averaged.isNull() ? image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              : std::move(averaged);
}

// These libraries cannot decode at a reduced size: the full picture is decoded, then
// scaled down to what the display needs, so only the smaller copy is held.
PictureDecoder::Result decodeWith(LibraryImageReader& reader, QSize bound) {
    PictureDecoder::Result result;
    const std::optional<LibraryImageReader::Header> header = reader.header();
    if (!header) {
        result.failure = QStringLiteral("no readable header");
        return result;
    }
    result.storedSize = header->size;
    result.transformation = header->transformation;
    result.animated = header->animated;
    if (!PictureDecoder::fitsAllocationLimit(header->size)) {
        result.failure = QStringLiteral("too large to decode within the allocation limit");
        return result;
    }
    result.image = reader.read();
    if (result.image.isNull())
        result.failure = QStringLiteral("the decoder gave no pixels");
    scaleDownToFit(result.image, bound);
    return result;
}

enum class StreamedFormat { none, png, jpeg };

// By the file's first bytes, not its name or the reader's guess, which follows the name.
StreamedFormat streamedFormatOf(int descriptor) {
    static constexpr std::array<unsigned char, 3> jpegStart = {0xFF, 0xD8, 0xFF};
    std::array<unsigned char, 8> first{};
    if (::pread(descriptor, first.data(), first.size(), 0) != ssize_t(first.size()))
        return StreamedFormat::none;
    if (first == pngSignature)
        return StreamedFormat::png;
    if (std::memcmp(first.data(), jpegStart.data(), jpegStart.size()) == 0)
        return StreamedFormat::jpeg;
    return StreamedFormat::none;
}

// A JPEG larger than needed is decoded row by row straight into the smaller image,
// which is quicker than the general reader's full decode and rescale; nullopt leaves
// the picture to the general reader.
std::optional<PictureDecoder::Result> decodeStreaming(int descriptor, QSize target,
                                                      const Parallelism& parallelism) {
    if (streamedFormatOf(descriptor) == StreamedFormat::jpeg)
        return JpegScaledDecoder::decode(descriptor, target, parallelism);
    return std::nullopt;
}

PictureDecoder::Result decodeWith(QImageReader& reader, int descriptor, QSize bound,
                                  const Parallelism& parallelism) {
    PictureDecoder::Result result;
    result.storedSize = reader.size();
    if (reader.supportsOption(QImageIOHandler::ImageTransformation))
        result.transformation = reader.transformation();
    else if (streamedFormatOf(descriptor) == StreamedFormat::png && !pngMayCarryExif(descriptor))
        // Told here at the cost of a walk over the chunk headers, which spares loading the
        // metadata library just to learn that there is no orientation.
        result.transformation = QImageIOHandler::TransformationNone;
    // Counting the frames walks the file's blocks, not its pixels.
    result.animated = reader.supportsAnimation() && reader.imageCount() > 1;
    const bool scaleDown =
        result.storedSize.isValid() && bound.isValid() && exceeds(result.storedSize, bound);
    if (scaleDown) {
        std::optional<PictureDecoder::Result> streamed =
            decodeStreaming(descriptor, scaledBound(result.storedSize, bound), parallelism);
        if (streamed) {
            // A streaming decoder that fails before its header leaves the size untold.
            if (!streamed->storedSize.isValid())
                streamed->storedSize = result.storedSize;
            streamed->transformation = result.transformation;
            return std::move(*streamed);
        }
    }
    const bool nativeScaling = reader.supportsOption(QImageIOHandler::ScaledSize);
    // Decoding at full size first (formats that cannot scale while decoding) is refused
    // when the full picture would pass the allocation limit.
    if (result.storedSize.isValid() && !(scaleDown && nativeScaling) &&
        !PictureDecoder::fitsAllocationLimit(result.storedSize)) {
        result.failure = QStringLiteral("too large to decode within the allocation limit");
        return result;
    }
    if (scaleDown)
        reader.setScaledSize(scaledBound(result.storedSize, bound));

    result.image = reader.read();
    if (result.image.isNull())
        result.failure = reader.errorString();
    if (!result.storedSize.isValid())
        result.storedSize = result.image.size();
    return result;
}

OwnedDescriptor openRegular(const std::string& path) {
    return OwnedDescriptor(SourceFiles::openRegular(path));
}

// The size a PNG's header chunk, which must come first, gives; nothing when it is not there.
std::optional<QSize> pngStoredSize(int descriptor) {
    std::array<unsigned char, 24> start{};
    if (::pread(descriptor, start.data(), start.size(), 0) != ssize_t(start.size()) ||
        std::memcmp(start.data() + 12, "IHDR", 4) != 0)
        return std::nullopt;
    const auto side = [&start](std::size_t at) {
        return std::uint32_t(start[at]) << 24 | std::uint32_t(start[at + 1]) << 16 |
               std::uint32_t(start[at + 2]) << 8 | std::uint32_t(start[at + 3]);
    };
    const std::uint32_t width = side(16);
    const std::uint32_t height = side(20);
    constexpr std::uint32_t largestSide = 1u << 30;
    if (width == 0 || height == 0 || width > largestSide || height > largestSide)
        return std::nullopt;
    return QSize(int(width), int(height));
}

// How stored pixels are turned, by the Exif orientation (1 to 8).
QImageIOHandler::Transformations transformationOfOrientation(int orientation) {
    static constexpr std::array<QImageIOHandler::Transformation, 9> byOrientation = {
        QImageIOHandler::TransformationNone,     QImageIOHandler::TransformationNone,
        QImageIOHandler::TransformationMirror,   QImageIOHandler::TransformationRotate180,
        QImageIOHandler::TransformationFlip,     QImageIOHandler::TransformationFlipAndRotate90,
        QImageIOHandler::TransformationRotate90, QImageIOHandler::TransformationMirrorAndRotate90,
        QImageIOHandler::TransformationRotate270};
    return byOrientation.at(std::size_t(orientation));
}

// Every PNG is decoded by libpng here, at its stored size or smaller; nullopt leaves
// what it refuses to the general reader.
std::optional<PictureDecoder::Result> decodePng(int descriptor, QSize bound, const Parallelism& parallelism) {
    if (streamedFormatOf(descriptor) != StreamedFormat::png)
        return std::nullopt;
    const std::optional<QSize> stored = pngStoredSize(descriptor);
    if (!stored)
        return std::nullopt;
    // No full-size copy need be held, but a picture that could not be held either
    // would take minutes to stream: refused as the general reader refuses it.
    if (!PictureDecoder::fitsAllocationLimit(*stored))
        return PictureDecoder::Result::failed(
            *stored, QStringLiteral("too large to decode within the allocation limit"));
    const QSize target = bound.isValid() && exceeds(*stored, bound) ? scaledBound(*stored, bound) : *stored;
    std::optional<PictureDecoder::Result> decoded = PngScaledDecoder::decode(descriptor, target, parallelism);
    if (!decoded)
        return std::nullopt;
    if (!decoded->storedSize.isValid())
        decoded->storedSize = *stored;
    // Told at the cost of a walk over the chunk headers, which spares loading the
    // metadata library just to learn that there is no orientation.
    if (!pngMayCarryExif(descriptor))
        decoded->transformation = QImageIOHandler::TransformationNone;
    decoded->animated = pngIsAnimated(descriptor);
    return decoded;
}

// Only a JPEG larger than needed: the general path decodes it the same way then, while
// one shown whole goes through the general reader, whose upsampling differs.
std::optional<PictureDecoder::Result> decodeJpegAlone(int descriptor, QSize bound,
                                                      const Parallelism& parallelism) {
    const std::optional<JpegHeader> header = JpegHeader::read(descriptor);
    if (!header || !header->exifOrientation || header->colourProfile || header->size.isEmpty() ||
        !bound.isValid() || !exceeds(header->size, bound))
        return std::nullopt;
    std::optional<PictureDecoder::Result> decoded =
        JpegScaledDecoder::decode(descriptor, scaledBound(header->size, bound), parallelism);
    if (decoded)
        decoded->transformation = transformationOfOrientation(*header->exifOrientation);
    return decoded;
}

// The reader tries the format the suffix names first, as it does for a file name.
QByteArray formatHintOf(const std::string& path) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return QByteArray::fromStdString(path.substr(dot + 1)).toLower();
}

// Qt 6.4 converts no gray image between colour spaces. A gray pixel is the colour
// space's white at some level, and white stays white in sRGB, so each level maps to
// one sRGB level: the transform of that level's neutral colour, looked up per pixel.
void convertGrayToSrgb(QImage& image) {
    const QColorTransform transform = image.colorSpace().transformationToColorSpace(QColorSpace::SRgb);
    if (image.format() == QImage::Format_Grayscale8) {
        std::array<uchar, 256> levels{};
        for (int level = 0; level < 256; ++level)
            levels[std::size_t(level)] = uchar(qGreen(transform.map(qRgb(level, level, level))));
        for (int y = 0; y < image.height(); ++y) {
            uchar* row = image.scanLine(y);
            for (int x = 0; x < image.width(); ++x)
                row[x] = levels[row[x]];
        }
    } else if (image.format() == QImage::Format_Grayscale16) {
        std::vector<quint16> levels(65536);
        for (int level = 0; level < 65536; ++level)
            levels[std::size_t(level)] =
                transform.map(QRgba64::fromRgba64(quint16(level), quint16(level), quint16(level), 0xFFFF))
                    .green();
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<quint16*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                row[x] = levels[row[x]];
        }
    } else {
        return;
    }
    image.setColorSpace(QColorSpace::SRgb);
}

} // namespace

QSize PictureDecoder::fittedSize(QSize stored, QSize bound) {
    return bound.isValid() && exceeds(stored, bound) ? scaledBound(stored, bound) : stored;
}

bool PictureDecoder::fitsAllocationLimit(QSize size) {
    const qint64 limit = qint64(allocationLimitMegabytes) * 1024 * 1024;
    return qint64(size.width()) * size.height() * bytesPerDecodedPixel <= limit;
}

void PictureDecoder::applyAllocationLimit() {
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(allocationLimitMegabytes); });
}

PictureDecoder::Result PictureDecoder::decode(const QString& path, QSize bound,
                                              const Parallelism& parallelism) {
    return decode(QFile::encodeName(path).toStdString(), bound, parallelism);
}

PictureDecoder::Result PictureDecoder::decode(const std::string& path, QSize bound,
                                              const Parallelism& parallelism) {
    applyAllocationLimit();
    Result result;
    const std::unique_ptr<DescriptorDevice> file = DescriptorDevice::openRegular(path);
    if (!file) {
        result.failure = QStringLiteral("not a readable regular file");
        return result;
    }
    const int descriptor = file->descriptor();
    if (const std::unique_ptr<LibraryImageReader> library = LibraryImageReader::forFile(path)) {
        result = decodeWith(*library, bound);
    } else if (std::optional<Result> png = decodePng(descriptor, bound, parallelism)) {
        result = std::move(*png);
    } else {
        QImageReader reader(file.get(), formatHintOf(path));
        reader.setAutoTransform(false);
        result = decodeWith(reader, descriptor, bound, parallelism);
        // A PNG's frames are ours to find: its readers show the first alone.
        if (!result.image.isNull() && streamedFormatOf(descriptor) == StreamedFormat::png)
            result.animated = pngIsAnimated(descriptor);
    }
    // After scaling: fewer pixels to convert.
    convertToSrgb(result.image);
    return result;
}

// Nothing here makes a QObject (a QFile, a thread pool for a colour conversion): the
// toolkit takes the thread of the first QObject for its main thread.
std::optional<PictureDecoder::Result>
PictureDecoder::decodeWithOwnDecoder(const std::string& path, QSize bound, const Parallelism& parallelism) {
    const OwnedDescriptor file = openRegular(path);
    if (file.get() < 0)
        return std::nullopt;
    std::optional<Result> decoded;
    switch (streamedFormatOf(file.get())) {
    case StreamedFormat::png:
        if (!pngMayCarryExif(file.get()))
            decoded = decodePng(file.get(), bound, parallelism);
        break;
    case StreamedFormat::jpeg:
        decoded = decodeJpegAlone(file.get(), bound, parallelism);
        break;
    case StreamedFormat::none:
        break;
    }
    if (!decoded || decoded->image.isNull())
        return std::nullopt;
    const QColorSpace colourSpace = decoded->image.colorSpace();
    if (colourSpace.isValid() && colourSpace != QColorSpace::SRgb)
        return std::nullopt; // converting it is the general path's
    return decoded;
}

PictureDecoder::Result PictureDecoder::decodeFirstLook(const std::string& path, QSize bound) {
    const std::unique_ptr<LibraryImageReader> library = LibraryImageReader::forFile(path);
    const std::optional<LibraryImageReader::Header> header = library ? library->header() : std::nullopt;
    if (!header)
        return Result::failed({}, QStringLiteral("no picture a library reads"));
    if (qint64(header->size.width()) * header->size.height() < firstLookWorthFromPixels)
        return Result::failed(header->size, QStringLiteral("quick to decode whole"));
    Result result;
    result.storedSize = header->size;
    result.transformation = header->transformation;
    result.image = library->readFirstLook();
    if (result.image.isNull())
        result.failure = QStringLiteral("no first look in the file");
    scaleDownToFit(result.image, bound);
    convertToSrgb(result.image);
    return result;
}

void PictureDecoder::convertToSrgb(QImage& image) {
    const QColorSpace colourSpace = image.colorSpace();
    if (image.isNull() || !colourSpace.isValid() || colourSpace == QColorSpace::SRgb)
        return;
    const QPixelFormat::ColorModel model = image.pixelFormat().colorModel();
    if (model == QPixelFormat::Grayscale) {
        convertGrayToSrgb(image);
        return;
    }
    if (model != QPixelFormat::RGB && model != QPixelFormat::BGR && model != QPixelFormat::Indexed)
        return;
    image.convertToColorSpace(QColorSpace::SRgb);
}

} // namespace vistrel
