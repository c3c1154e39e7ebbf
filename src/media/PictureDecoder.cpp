#include "media/PictureDecoder.h"

#include <QImageReader>
#include <mutex>

namespace vistrel {

namespace {

constexpr qint64 bytesPerDecodedPixel = 4;

bool exceeds(QSize size, QSize bound) {
    return size.width() > bound.width() || size.height() > bound.height();
}

} // namespace

bool PictureDecoder::fitsAllocationLimit(QSize size) {
    const qint64 limit = qint64(allocationLimitMegabytes) * 1024 * 1024;
    return qint64(size.width()) * size.height() * bytesPerDecodedPixel <= limit;
}

void PictureDecoder::applyAllocationLimit() {
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(allocationLimitMegabytes); });
}

PictureDecoder::Result PictureDecoder::decode(const QString& path, QSize bound) {
    applyAllocationLimit();
    QImageReader reader(path);
    reader.setAutoTransform(false);

    Result result;
    result.storedSize = reader.size();
    if (reader.supportsOption(QImageIOHandler::ImageTransformation))
        result.transformation = reader.transformation();
    const bool scaleDown =
        result.storedSize.isValid() && bound.isValid() && exceeds(result.storedSize, bound);
    const bool nativeScaling = reader.supportsOption(QImageIOHandler::ScaledSize);
    // Decoding at full size first (formats that cannot scale while decoding) is refused
    // when the full picture would pass the allocation limit.
    if (result.storedSize.isValid() && !(scaleDown && nativeScaling) &&
        !fitsAllocationLimit(result.storedSize)) {
        result.failure = QStringLiteral("too large to decode within the allocation limit");
        return result;
    }
    if (scaleDown)
        reader.setScaledSize(result.storedSize.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));

    result.image = reader.read();
    if (result.image.isNull())
        result.failure = reader.errorString();
    if (!result.storedSize.isValid())
        result.storedSize = result.image.size();
    return result;
}

} // namespace vistrel
