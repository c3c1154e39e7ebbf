#include "media/pictures/JpegScaledDecoder.h"

#include "codec/io/DescriptorReader.h"
#include "codec/jpeg/JpegLibraryDecoder.h"
#include "codec/jpeg/JpegSplitDecoder.h"
#include "codec/rows/AreaDownscaler.h"
#include "codec/rows/PixelRows.h"
#include "media/pictures/PixelMemory.h"
#include "media/support/LogCategories.h"

#include <QByteArray>
#include <QColorSpace>
#include <cerrno>
#include <exception>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>

namespace vistrel {

namespace {

constexpr int bytesPerPixel = 4;
constexpr int eighths = 8;
constexpr int mostSegments = 4;
// Less data than this decodes about as fast on one core as the segments take to start.
constexpr std::uint64_t leastDataForSegments = std::uint64_t(1) << 20;
constexpr std::uint64_t leastSegmentBytes = std::uint64_t(256) << 10;

// Warnings (damaged data the library decodes past) go to the log, not to stderr.
void logWarning(const char* message) {
    qCDebug(lcPicture) << "libjpeg:" << message;
}

QColorSpace colourSpaceOf(JpegLibraryDecoder& library) {
    const std::vector<std::uint8_t> profile = library.colourProfile();
    if (profile.empty())
        return {};
    return QColorSpace::fromIccProfile(
        QByteArray(reinterpret_cast<const char*>(profile.data()), qsizetype(profile.size())));
}

// The smallest eighth of the stored size whose decode still covers `target`.
int eighthsFor(QSize stored, QSize target) {
    int scale = 1;
    while (scale < eighths && (JpegSplitDecoder::scaledSide(stored.width(), scale) < target.width() ||
                               JpegSplitDecoder::scaledSide(stored.height(), scale) < target.height()))
        ++scale;
    return scale;
}

std::size_t readAt(int descriptor, std::uint64_t offset, std::uint8_t* into, std::size_t count) {
    for (;;) {
        const ssize_t read = ::pread(descriptor, into, count, off_t(offset));
        if (read >= 0)
            return std::size_t(read);
        if (errno != EINTR)
            return 0;
    }
}

std::uint64_t sizeOf(int descriptor) {
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 && status.st_size > 0 ? std::uint64_t(status.st_size) : 0;
}

// How many segments to split the scan's data into: none when it is too small for
// splitting to pay or there is no second thread to run them, unless the caller asked
// for a number.
int segmentsFor(const JpegScan& scan, int asked, const Parallelism& parallelism) {
    if (asked > 0)
        return asked;
    const std::uint64_t data = scan.fileSize > scan.dataStart ? scan.fileSize - scan.dataStart : 0;
    const std::size_t width = parallelism.width;
    if (width < 2 || data < leastDataForSegments)
        return 0;
    return int(std::min<std::uint64_t>(
        {std::uint64_t(std::min<std::size_t>(width, mostSegments)), data / leastSegmentBytes}));
}

// Decoded rows of `width` x `height` pixels, handed to `pipeline`, folded into `image`.
struct Folder {
    Folder(int width, int height, QImage& image, const Parallelism& parallelism)
        : downscaler(width, height, image.width(), image.height(), image.bits(), image.bytesPerLine()),
          pipeline(
              std::size_t(width) * bytesPerPixel, PixelRows::rowsPerBatch(std::size_t(width) * bytesPerPixel),
              [this](std::uint8_t* row) { downscaler.addRow(row); }, parallelism) {}

    AreaDownscaler downscaler;
    RowPipeline pipeline; // last: finishes before the downscaler goes
};

// The library's rows folded into `image` as they come; false when the library failed.
bool foldRows(JpegLibraryDecoder& library, QImage& image, const Parallelism& parallelism) {
    const int width = library.outputWidth();
    const int height = library.outputHeight();
    Folder folder(width, height, image, parallelism);
    RowPipeline& pipeline = folder.pipeline;
    for (int y = 0; y < height; y += pipeline.rowsPerBatch()) {
        const int rows = std::min(pipeline.rowsPerBatch(), height - y);
        if (!library.readRows(pipeline.batch(), pipeline.rowBytes(), rows))
            return false;
        pipeline.submit(rows);
    }
    pipeline.finish();
    return true;
}

PictureDecoder::Result decoded(QSize storedSize, QImage image) {
    PictureDecoder::Result result;
    result.storedSize = storedSize;
    result.image = std::move(image);
    return result;
}

// `scan` decoded by JpegSplitDecoder into an image of `target`; why it could not, when
// it could not. Requires JpegSplitDecoder::supports().
std::variant<QImage, QString> decodeSplit(int descriptor, const JpegScan& scan, int segments, QSize target,
                                          const Parallelism& parallelism) {
    const int scale = eighthsFor(QSize(scan.width, scan.height), target);
    const int width = JpegSplitDecoder::scaledSide(scan.width, scale);
    const int height = JpegSplitDecoder::scaledSide(scan.height, scale);
    if (!AreaDownscaler::supports(width, height, target.width(), target.height()))
        return QStringLiteral("unexpected decoded layout");
    qCDebug(lcPicture) << "decoding the JPEG data in" << segments << "segments at" << scale << "eighths";
    try {
        QImage image = PixelMemory::imageFor(target, QImage::Format_RGB32);
        if (image.isNull())
            return QStringLiteral("not enough memory for the scaled picture");
        Folder folder(width, height, image, parallelism);
        const JpegBitReader::FileRead read = [descriptor](std::uint64_t offset, std::uint8_t* into,
                                                          std::size_t count) {
            return readAt(descriptor, offset, into, count);
        };
        JpegSplitDecoder::decode(scan, scale, read, segments, parallelism, folder.pipeline);
        return image;
    } catch (const DecodeAbandoned&) {
        throw; // not a reason to decode it again with the library
    } catch (const std::bad_alloc&) {
        return QStringLiteral("not enough memory for the segments");
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    }
}

// The library's own scaled decode, after its header was read.
PictureDecoder::Result decodeWithLibrary(JpegLibraryDecoder& library, QSize storedSize, QSize target,
                                         const QColorSpace& colourSpace, const Parallelism& parallelism) {
    if (!library.start(eighthsFor(storedSize, target)))
        return PictureDecoder::Result::failed(storedSize, QString::fromStdString(library.error()));
    const int width = library.outputWidth();
    const int height = library.outputHeight();
    if (library.outputComponents() != bytesPerPixel ||
        !AreaDownscaler::supports(width, height, target.width(), target.height()))
        return PictureDecoder::Result::failed(storedSize, QStringLiteral("unexpected decoded layout"));

    QImage image = PixelMemory::imageFor(target, QImage::Format_RGB32);
    if (image.isNull())
        return PictureDecoder::Result::failed(storedSize,
                                              QStringLiteral("not enough memory for the scaled picture"));
    image.setColorSpace(colourSpace);
    // At an exact eighth of the stored size the decoder's rows are the image's rows.
    const bool decodedInPlace = QSize(width, height) == target;
    try {
        if (decodedInPlace ? !library.readRows(image.bits(), std::size_t(image.bytesPerLine()), height)
                           : !foldRows(library, image, parallelism))
            return PictureDecoder::Result::failed(storedSize, QString::fromStdString(library.error()));
    } catch (const std::exception& error) { // in folding: no memory for its sums, a fold that threw
        return PictureDecoder::Result::failed(storedSize, QString::fromUtf8(error.what()));
    }
    return decoded(storedSize, std::move(image));
}

} // namespace

std::optional<PictureDecoder::Result> JpegScaledDecoder::decode(int descriptor, QSize target,
                                                                const Parallelism& parallelism) {
    return decodeInSegments(descriptor, target, parallelism, 0);
}

std::optional<PictureDecoder::Result> JpegScaledDecoder::decodeInSegments(int descriptor, QSize target,
                                                                          const Parallelism& parallelism,
                                                                          int segments) {
    DescriptorReader reader(descriptor);
    JpegLibraryDecoder library(reader, logWarning);
    if (!library.readHeader())
        return PictureDecoder::Result::failed({}, QString::fromStdString(library.error()));
    const QSize storedSize(library.width(), library.height());
    if (!library.decodable())
        return std::nullopt;
    const QColorSpace colourSpace = colourSpaceOf(library);
    if (const std::optional<JpegScan> scan = library.scan(sizeOf(descriptor))) {
        const int split = segmentsFor(*scan, segments, parallelism);
        const int scale = eighthsFor(storedSize, target);
        if (split > 0 && !JpegSplitDecoder::supports(*scan, scale)) {
            qCDebug(lcPicture) << "the split decoder does not handle this layout of components at" << scale
                               << "eighths; the library decodes it";
        } else if (split > 0) {
            std::variant<QImage, QString> image = decodeSplit(descriptor, *scan, split, target, parallelism);
            if (QImage* done = std::get_if<QImage>(&image)) {
                done->setColorSpace(colourSpace);
                return decoded(storedSize, std::move(*done));
            }
            qCInfo(lcPicture) << "the JPEG data cannot be decoded in segments -" << std::get<QString>(image)
                              << "- the library decodes it instead";
        }
    }
    return decodeWithLibrary(library, storedSize, target, colourSpace, parallelism);
}

} // namespace vistrel
