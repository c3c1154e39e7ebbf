#include "formats/FileBytes.h"

#include <cerrno>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel {

namespace {

std::optional<qint64> sizeOf(int descriptor) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || status.st_size > largestReadFile)
        return std::nullopt;
    return qint64(status.st_size);
}

} // namespace

std::optional<QByteArray> wholeFileOf(int descriptor) {
    const std::optional<qint64> size = sizeOf(descriptor);
    if (!size)
        return std::nullopt;
    QByteArray bytes(*size, Qt::Uninitialized);
    qint64 filled = 0;
    while (filled < *size) {
        const ssize_t got = ::pread(descriptor, bytes.data() + filled, std::size_t(*size - filled), filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break; // cut short while read: what was there is all there is
        filled += got;
    }
    bytes.truncate(filled);
    return bytes;
}

MappedFile::MappedFile(int descriptor) {
    const std::optional<qint64> size = sizeOf(descriptor);
    if (!size || *size == 0)
        return;
    void* mapped = ::mmap(nullptr, std::size_t(*size), PROT_READ, MAP_PRIVATE, descriptor, 0);
    if (mapped == MAP_FAILED)
        return;
    m_bytes = static_cast<const unsigned char*>(mapped);
    m_size = std::size_t(*size);
}

MappedFile::~MappedFile() {
    if (m_bytes != nullptr)
        ::munmap(const_cast<unsigned char*>(m_bytes), m_size);
}

} // namespace vistrel
