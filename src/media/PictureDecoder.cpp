#include "media/PictureDecoder.h"

#include <QImageReader>

namespace vistrel {

namespace {

constexpr qint64 bytesPerDecodedPixel = 4;

bool exceeds(QSize size, QSize bound) {
    return size.width() > bound.width() || size.height() > bound.height();
}

// Decoding at full size first (formats that cannot scale while decoding) is refused
// when the full picture would pass the allocation limit.
bool fullDecodeFits(QSize stored) {
    const qint64 limit = qint64(PictureDecoder::allocationLimitMegabytes) * 1024 * 1024;
    return qint64(stored.width()) * stored.height() * bytesPerDecodedPixel <= limit;
}

} // namespace

PictureDecoder::Result PictureDecoder::decode(const QString& path, QSize bound) {
    QImageReader::setAllocationLimit(allocationLimitMegabytes);
    QImageReader reader(path);
    reader.setAutoTransform(false);

    Result result;
    result.storedSize = reader.size();
    const bool scaleDown =
        result.storedSize.isValid() && bound.isValid() && exceeds(result.storedSize, bound);
    const bool nativeScaling = reader.supportsOption(QImageIOHandler::ScaledSize);
    if (result.storedSize.isValid() && !(scaleDown && nativeScaling) && !fullDecodeFits(result.storedSize))
        return result;
    if (scaleDown)
        reader.setScaledSize(result.storedSize.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));

    result.image = reader.read();
    if (!result.storedSize.isValid())
        result.storedSize = result.image.size();
    return result;
}

} // namespace vistrel
