#include "decoder/DecoderServer.h"

#include "codec/io/SourceFiles.h"
#include "core/media/Picture.h"
#include "core/media/PictureService.h"
#include "core/work/Executor.h"
#include "decoder/RequestFaults.h"
#include "decoder/Confinement.h"
#include "media/pictures/PictureImage.h"
#include "media/modules/MovieEngine.h"
#include "media/sandbox/AnswerBytes.h"
#include "media/support/LogCategories.h"

#include <QColorSpace>
#include <QFile>
#include <cstring>
#include <exception>
#include <poll.h>
#include <unistd.h>

namespace vistrel {

namespace {

using namespace decoderprotocol;

void setReason(ReplyHeader& header, const std::string& reason) {
    std::strncpy(header.reason, reason.c_str(), sizeof header.reason - 1);
}

ReplyHeader failure(const std::string& reason) {
    ReplyHeader header;
    header.status = Status::failed;
    setReason(header, reason);
    return header;
}

// The viewer hangs up a request's socket when it no longer wants the answer.
bool stillWantedBy(int reply) {
    pollfd socket{reply, 0, 0};
    return ::poll(&socket, 1, 0) == 0 || (socket.revents & (POLLHUP | POLLERR)) == 0;
}

QImage carried(QImage image) {
    if (isCarriedFormat(image.format()))
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

std::optional<DecoderServer::Request> requestOf(Datagram& datagram) {
    RequestHeader header;
    if (datagram.bytes.size() < sizeof header || datagram.descriptors.size() != 2)
        return std::nullopt;
    std::memcpy(&header, datagram.bytes.data(), sizeof header);
    if (header.magic != decoderprotocol::magic ||
        (header.kind != Kind::decode && header.kind != Kind::inspect && header.kind != Kind::movieFacts) ||
        header.pathBytes != datagram.bytes.size() - sizeof header || header.boundWidth < 0 ||
        header.boundHeight < 0)
        return std::nullopt;
    DecoderServer::Request request;
    request.kind = header.kind;
    request.path.assign(reinterpret_cast<const char*>(datagram.bytes.data() + sizeof header), header.pathBytes);
    if (header.boundWidth > 0 && header.boundHeight > 0)
        request.bound = QSize(header.boundWidth, header.boundHeight);
    request.file = datagram.takeDescriptor(0);
    request.reply = datagram.takeDescriptor(1);
    return request;
}

} // namespace

DecoderServer::DecoderServer(int control, PictureService& pictures, MovieEngine* movies, Executor& executor,
                             unsigned cpuSecondsPerRequest)
    : m_control(control), m_pictures(pictures), m_movies(movies), m_executor(executor),
      m_cpuSecondsPerRequest(cpuSecondsPerRequest) {}

void DecoderServer::serve() {
    while (std::optional<Datagram> datagram = receiveDatagram(m_control, sizeof(RequestHeader) + longestPath, 2)) {
        std::optional<Request> request = requestOf(*datagram);
        if (!request) {
            qCWarning(lcDecoder) << "a request that does not read was dropped";
            continue;
        }
        m_executor.submit([this, request = std::move(*request)] { answer(request); }, WorkPriority::onScreen);
    }
}

void DecoderServer::answer(const Request& request) {
    const SourceFiles::Loan loan(request.path, request.file);
    if (const std::optional<std::string> unlimited = allowCpuSecondsFromNow(m_cpuSecondsPerRequest))
        qCWarning(lcDecoder) << "decoding without a CPU time limit:" << unlimited->c_str();
    int memory = -1;
    ReplyHeader header;
    try {
        if (const std::optional<std::string> fault = RequestFaults::actOn(request.path))
            header = failure(*fault);
        else
            header = answerTo(request, memory);
    } catch (const std::exception& error) {
        header = failure(error.what());
    }
    if (stillWantedBy(request.reply) && !RequestFaults::answerWrongly(request.path, request.reply)) {
        if (memory >= 0)
            sendDatagram(request.reply, bytesOf(header), std::span(&memory, 1));
        else
            sendDatagram(request.reply, bytesOf(header));
    }
    for (const int descriptor : {memory, request.reply, request.file})
        if (descriptor >= 0)
            ::close(descriptor);
}

ReplyHeader DecoderServer::answerTo(const Request& request, int& memory) {
    switch (request.kind) {
    case Kind::decode: return decode(request, memory);
    case Kind::inspect: return inspect(request, memory);
    case Kind::movieFacts: return probeMovie(request, memory);
    }
    return failure("no such request");
}

ReplyHeader DecoderServer::decode(const Request& request, int& memory) {
    std::optional<Size> neededSize;
    if (request.bound.isValid())
        neededSize = Size{float(request.bound.width()), float(request.bound.height())};
    const int reply = request.reply;
    const DecodedPicture decoded =
        m_pictures.decodeWhileWanted(request.path, neededSize, [reply] { return stillWantedBy(reply); });
    const PictureImage* pixels = decoded.picture ? decoded.picture->pixels() : nullptr;
    if (pixels == nullptr || pixels->image().isNull())
        return failure("cannot be decoded");
    const QImage image = carried(pixels->image());
    ReplyHeader header;
    header.status = Status::decoded;
    header.storedWidth = pixels->storedSize().width();
    header.storedHeight = pixels->storedSize().height();
    header.width = image.width();
    header.height = image.height();
    header.bytesPerLine = std::uint32_t(image.bytesPerLine());
    header.pixelFormat = std::uint32_t(image.format());
    header.orientation = decoded.orientation.value_or(0);
    header.flags = (decoded.animated ? animatedFlag : 0) | (image.colorSpace() == QColorSpace::SRgb ? srgbFlag : 0);
    header.payloadBytes = std::uint64_t(image.sizeInBytes());
    memory = sealedMemory(std::size_t(header.payloadBytes), [&image](std::byte* into) {
        std::memcpy(into, image.constBits(), std::size_t(image.sizeInBytes()));
    });
    return memory >= 0 ? header : failure("no memory to hand the pixels over");
}

ReplyHeader DecoderServer::inspect(const Request& request, int& memory) {
    return carrying(Status::inspected, bytesOfInfo(m_pictures.inspect(request.path)), memory);
}

ReplyHeader DecoderServer::probeMovie(const Request& request, int& memory) {
    if (m_movies == nullptr)
        return failure("this helper reads no movies");
    const std::optional<MovieFacts> facts = m_movies->movieFacts(request.path, request.file);
    if (!facts)
        return failure("no movie libavformat can read");
    return carrying(Status::probed, bytesOfMovieFacts(*facts), memory);
}

ReplyHeader DecoderServer::carrying(Status status, const std::vector<std::byte>& bytes, int& memory) {
    ReplyHeader header;
    header.status = status;
    header.payloadBytes = bytes.size();
    memory = sealedMemory(bytes.size(), [&bytes](std::byte* into) { std::memcpy(into, bytes.data(), bytes.size()); });
    return memory >= 0 ? header : failure("no memory to hand the facts over");
}

} // namespace vistrel
