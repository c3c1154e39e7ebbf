#include "decoder/RequestFaults.h"

#ifdef VISTREL_DECODER_FAULTS

#include "media/sandbox/DecoderProtocol.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <list>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vistrel::RequestFaults {

namespace {

bool names(const std::string& path, const char* fault) {
    return std::getenv("VISTREL_DECODER_FAULTS") != nullptr &&
           path.find(std::string("fault-") + fault) != std::string::npos;
}

std::string outcome(const char* what, int result) {
    return result < 0 ? std::string("refused to ") + what + ": " + std::strerror(errno)
                      : std::string("allowed to ") + what;
}

std::string tryOpening() {
    const int opened = ::open("/etc/hostname", O_RDONLY | O_CLOEXEC);
    if (opened >= 0)
        ::close(opened);
    return outcome("open a file by name", opened);
}

std::string tryConnecting() {
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return outcome("make a socket", socket);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(9);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int connected = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::close(socket);
    // A refused connection still reached the network stack: only a refusal by the wall counts.
    return connected < 0 && errno == ECONNREFUSED ? std::string("allowed to connect")
                                                  : outcome("connect", connected);
}

std::string trySpawning() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    return outcome("start a process", child);
}

std::string allocateWithoutEnd() {
    // Left untouched: the address-space limit counts what is reserved, and a test
    // should not fill the machine's memory to prove it.
    std::list<std::unique_ptr<char[]>> held;
    try {
        for (;;)
            held.emplace_back(new char[std::size_t(256) << 20]);
    } catch (const std::bad_alloc&) {
        return "refused to allocate past " + std::to_string(held.size() * 256) + " MB";
    }
}

[[noreturn]] void spin() {
    volatile unsigned long turns = 0;
    for (;;)
        turns = turns + 1;
}

} // namespace

std::optional<std::string> actOn(const std::string& path) {
    if (names(path, "crash"))
        std::raise(SIGSEGV);
    if (names(path, "open"))
        return tryOpening();
    if (names(path, "connect"))
        return tryConnecting();
    if (names(path, "spawn"))
        return trySpawning();
    if (names(path, "allocate"))
        return allocateWithoutEnd();
    if (names(path, "spin"))
        spin();
    return std::nullopt;
}

bool answerWrongly(const std::string& path, int reply) {
    using namespace decoderprotocol;
    if (names(path, "garbage")) {
        const char garbage[] = "no answer at all";
        sendDatagram(reply, std::as_bytes(std::span(garbage)));
        return true;
    }
    if (!names(path, "oversize"))
        return false;
    ReplyHeader header;
    header.status = Status::decoded;
    header.width = header.height = 4096;
    header.storedWidth = header.storedHeight = 4096;
    header.bytesPerLine = 4096 * 4;
    header.pixelFormat = std::uint32_t(QImage::Format_RGB32);
    header.payloadBytes = std::uint64_t(header.bytesPerLine) * 4096;
    const int memory = sealedMemory(4096, [](std::byte* into) { std::memset(into, 0, 4096); });
    sendDatagram(reply, bytesOf(header), std::span(&memory, 1));
    ::close(memory);
    return true;
}

} // namespace vistrel::RequestFaults

#else

namespace vistrel::RequestFaults {

std::optional<std::string> actOn(const std::string&) {
    return std::nullopt;
}

bool answerWrongly(const std::string&, int) {
    return false;
}

} // namespace vistrel::RequestFaults

#endif
