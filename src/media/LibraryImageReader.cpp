#include "media/LibraryImageReader.h"

#include "media/HeifImageReader.h"
#include "media/JxlImageReader.h"

#include <QFile>

namespace vistrel {

namespace {

// Enough for an ISO media file's type box with its compatible brands, and for the
// JPEG XL signatures.
constexpr qint64 sniffedBytes = 64;

QByteArray firstBytesOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(sniffedBytes);
}

} // namespace

// Told apart by content rather than by name: a photo saved as "IMG_0001.jpg" that is
// really HEIC still shows, and a JPEG named ".heic" still goes to Qt's reader.
std::unique_ptr<LibraryImageReader> LibraryImageReader::forFile(const QString& path) {
    const QByteArray head = firstBytesOf(path);
    if (head.isEmpty())
        return nullptr;
    if (HeifImageReader::recognises(head))
        return std::make_unique<HeifImageReader>(path, head);
    if (JxlImageReader::recognises(head))
        return std::make_unique<JxlImageReader>(path);
    return nullptr;
}

std::vector<std::string> LibraryImageReader::suffixes() {
    std::vector<std::string> result = HeifImageReader::suffixes();
    const std::vector<std::string> jxl = JxlImageReader::suffixes();
    result.insert(result.end(), jxl.begin(), jxl.end());
    return result;
}

} // namespace vistrel
