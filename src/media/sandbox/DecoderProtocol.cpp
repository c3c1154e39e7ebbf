#include "media/sandbox/DecoderProtocol.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vistrel {

namespace decoderprotocol {

bool isCarriedFormat(QImage::Format format) {
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGB888:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
        return true;
    default:
        return false;
    }
}

} // namespace decoderprotocol

Datagram::~Datagram() {
    for (const int descriptor : descriptors)
        if (descriptor >= 0)
            ::close(descriptor);
}

Datagram::Datagram(Datagram&& other) noexcept
    : bytes(std::move(other.bytes)), descriptors(std::exchange(other.descriptors, {})) {}

int Datagram::takeDescriptor(std::size_t index) {
    return index < descriptors.size() ? std::exchange(descriptors[index], -1) : -1;
}

bool sendDatagram(int socket, std::span<const std::byte> bytes, std::span<const int> descriptors) {
    iovec part{const_cast<std::byte*>(bytes.data()), bytes.size()};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    std::vector<std::byte> control(CMSG_SPACE(sizeof(int) * descriptors.size()));
    if (!descriptors.empty()) {
        message.msg_control = control.data();
        message.msg_controllen = control.size();
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        if (header == nullptr)
            return false;
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int) * descriptors.size());
        std::memcpy(CMSG_DATA(header), descriptors.data(), sizeof(int) * descriptors.size());
    }
    ssize_t sent = 0;
    do
        sent = ::sendmsg(socket, &message, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return sent == ssize_t(bytes.size());
}

namespace {

// The descriptors a message brought, whatever else is wrong with it: each is owned now.
std::vector<int> descriptorsOf(msghdr& message) {
    std::vector<int> received;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr; header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS)
            continue;
        const std::size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        const auto* first = reinterpret_cast<const unsigned char*>(CMSG_DATA(header));
        for (std::size_t index = 0; index < count; ++index) {
            int descriptor = -1;
            std::memcpy(&descriptor, first + index * sizeof(int), sizeof(int));
            received.push_back(descriptor);
        }
    }
    return received;
}

} // namespace

std::optional<Datagram> receiveDatagram(int socket, std::size_t longest, std::size_t mostDescriptors) {
    Datagram datagram;
    datagram.bytes.resize(longest);
    iovec part{datagram.bytes.data(), datagram.bytes.size()};
    std::vector<std::byte> control(CMSG_SPACE(sizeof(int) * std::max<std::size_t>(mostDescriptors, 1)));
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control.data();
    message.msg_controllen = control.size();
    ssize_t got = 0;
    do
        got = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
    while (got < 0 && errno == EINTR);
    if (got <= 0)
        return std::nullopt;
    datagram.descriptors = descriptorsOf(message); // closed with the datagram if refused
    if ((message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0 || datagram.descriptors.size() > mostDescriptors)
        return std::nullopt;
    datagram.bytes.resize(std::size_t(got));
    return datagram;
}

namespace {

using decoderprotocol::ReplyHeader;

// Larger than any picture the decoders would make (their allocation limit is lower).
constexpr std::int64_t largestSide = 1 << 20;

std::size_t minimalBytesPerLine(const ReplyHeader& header) {
    const int depth = QImage::toPixelFormat(QImage::Format(header.pixelFormat)).bitsPerPixel();
    return (std::size_t(header.width) * std::size_t(depth) + 7) / 8;
}

} // namespace

bool decoderprotocol::believablePixels(const ReplyHeader& header) {
    return header.width > 0 && header.height > 0 && header.width <= largestSide && header.height <= largestSide &&
           header.storedWidth >= 0 && header.storedHeight >= 0 && header.storedWidth <= largestSide &&
           header.storedHeight <= largestSide && header.orientation >= 0 && header.orientation <= 8 &&
           decoderprotocol::isCarriedFormat(QImage::Format(header.pixelFormat)) && header.bytesPerLine % 4 == 0 &&
           header.bytesPerLine >= minimalBytesPerLine(header) &&
           header.payloadBytes == std::uint64_t(header.bytesPerLine) * std::uint64_t(header.height);
}


int sealableMemory(std::size_t size, std::byte*& mapped) {
    const int memory = ::memfd_create("vistrel-pixels", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (memory < 0)
        return -1;
    void* made = MAP_FAILED;
    // Populated at once: faulting in a large picture page by page costs more than its copy.
    if (::ftruncate(memory, off_t(size)) == 0 && size > 0)
        made = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, memory, 0);
    if (made == MAP_FAILED) {
        ::close(memory);
        return -1;
    }
    mapped = static_cast<std::byte*>(made);
    return memory;
}

bool seal(int memory) {
    return ::fcntl(memory, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) == 0;
}

int sealedMemory(std::size_t size, const std::function<void(std::byte*)>& fill) {
    std::byte* mapped = nullptr;
    const int memory = sealableMemory(size, mapped);
    if (memory < 0)
        return -1;
    fill(mapped);
    ::munmap(mapped, size); // a writable mapping left would refuse the write seal
    if (!seal(memory)) {
        ::close(memory);
        return -1;
    }
    return memory;
}

std::shared_ptr<const SealedMapping> SealedMapping::map(int descriptor, std::size_t size) {
    constexpr int needed = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE;
    const int seals = ::fcntl(descriptor, F_GET_SEALS);
    struct stat status {};
    if (seals < 0 || (seals & needed) != needed || ::fstat(descriptor, &status) != 0 || size == 0 ||
        std::uint64_t(status.st_size) < size)
        return nullptr;
    // Populated here, on the asking worker, rather than by the first paint's page faults.
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_SHARED | MAP_POPULATE, descriptor, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    return std::shared_ptr<const SealedMapping>(new SealedMapping(static_cast<const std::byte*>(mapped), size));
}

SealedMapping::~SealedMapping() {
    ::munmap(const_cast<std::byte*>(m_data), m_size);
}

} // namespace vistrel
