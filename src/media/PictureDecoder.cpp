#include "media/PictureDecoder.h"

#include <QFile>
#include <QImageReader>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel {

namespace {

constexpr qint64 bytesPerDecodedPixel = 4;

bool exceeds(QSize size, QSize bound) {
    return size.width() > bound.width() || size.height() > bound.height();
}

// Without blocking on a pipe, and only a regular file.
bool openRegularFile(const std::string& path, QFile& file) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return false;
    struct stat status {};
    if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
        file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    ::close(descriptor);
    return false;
}

// The reader tries the format the suffix names first, as it does for a file name.
QByteArray formatHintOf(const std::string& path) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return QByteArray::fromStdString(path.substr(dot + 1)).toLower();
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
    return decode(QFile::encodeName(path).toStdString(), bound);
}

PictureDecoder::Result PictureDecoder::decode(const std::string& path, QSize bound) {
    applyAllocationLimit();
    Result result;
    QFile file;
    if (!openRegularFile(path, file))
        return result;
    QImageReader reader(&file, formatHintOf(path));
    reader.setAutoTransform(false);

    result.storedSize = reader.size();
    if (reader.supportsOption(QImageIOHandler::ImageTransformation))
        result.transformation = reader.transformation();
    const bool scaleDown =
        result.storedSize.isValid() && bound.isValid() && exceeds(result.storedSize, bound);
    const bool nativeScaling = reader.supportsOption(QImageIOHandler::ScaledSize);
    // Decoding at full size first (formats that cannot scale while decoding) is refused
    // when the full picture would pass the allocation limit.
    if (result.storedSize.isValid() && !(scaleDown && nativeScaling) &&
        !fitsAllocationLimit(result.storedSize))
        return result;
    if (scaleDown)
        reader.setScaledSize(result.storedSize.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));

    result.image = reader.read();
    if (!result.storedSize.isValid())
        result.storedSize = result.image.size();
    return result;
}

} // namespace vistrel
