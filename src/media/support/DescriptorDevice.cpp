#include "media/support/DescriptorDevice.h"

#include "codec/io/SourceFiles.h"

#include <cerrno>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel {

DescriptorDevice::DescriptorDevice(int descriptor) : m_descriptor(descriptor) {
    // Unbuffered: QIODevice's buffer would only copy what pread already reads in one go.
    QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

DescriptorDevice::~DescriptorDevice() {
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

std::unique_ptr<DescriptorDevice> DescriptorDevice::openRegular(const std::string& path) {
    const int descriptor = SourceFiles::openRegular(path);
    if (descriptor < 0)
        return nullptr;
    return std::make_unique<DescriptorDevice>(descriptor);
}

qint64 DescriptorDevice::size() const {
    struct stat status {};
    return ::fstat(m_descriptor, &status) == 0 ? qint64(status.st_size) : 0;
}

qint64 DescriptorDevice::readData(char* data, qint64 maxSize) {
    ssize_t got = 0;
    do
        got = ::pread(m_descriptor, data, std::size_t(maxSize), pos());
    while (got < 0 && errno == EINTR);
    return got;
}

qint64 DescriptorDevice::writeData(const char*, qint64) {
    return -1;
}

} // namespace vistrel
