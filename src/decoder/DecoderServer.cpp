#include "decoder/DecoderServer.h"

#include "codec/io/SourceFiles.h"
#include "core/media/AnimationFrames.h"
#include "core/media/Picture.h"
#include "core/work/Executor.h"
#include "decoder/RequestFaults.h"
#include "decoder/Confinement.h"
#include "media/pictures/LibraryFormat.h"
#include "media/pictures/PictureImage.h"
#include "media/pictures/QtPictureService.h"
#include "media/pictures/PixelMemory.h"
#include "media/modules/MovieEngine.h"
#include "media/sandbox/AnswerBytes.h"
#include "media/support/LogCategories.h"

#include <QColorSpace>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <exception>
#include <poll.h>
#include <sys/mman.h>
#include <vector>
#include <unistd.h>

namespace vistrel {

namespace {

using namespace decoderprotocol;

void setReason(ReplyHeader& header, const std::string& reason) {
    std::strncpy(header.reason, reason.c_str(), sizeof header.reason - 1);
}

ReplyHeader ended(Status status) {
    ReplyHeader header;
    header.status = status;
    return header;
}

// The reply's description of `image`, pixels that go in its memory as they lie.
ReplyHeader describing(const QImage& image, QSize storedSize) {
    ReplyHeader header;
    header.status = Status::decoded;
    header.storedWidth = storedSize.width();
    header.storedHeight = storedSize.height();
    header.width = image.width();
    header.height = image.height();
    header.bytesPerLine = std::uint32_t(image.bytesPerLine());
    header.pixelFormat = std::uint32_t(image.format());
    header.flags = image.colorSpace() == QColorSpace::SRgb ? srgbFlag : 0;
    header.payloadBytes = std::uint64_t(image.sizeInBytes());
    return header;
}

int copiedToSealedMemory(const QImage& image) {
    return sealedMemory(std::size_t(image.sizeInBytes()), [&image](std::byte* into) {
        std::memcpy(into, image.constBits(), std::size_t(image.sizeInBytes()));
    });
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

// Memory lent to our own decoders for a request's final pixels: each image they make
// lies in a memfd of its own, mapped here, so that the picture reaches the viewer as it
// was written, without a copy. Images of other sizes or formats come from the heap.
class LentPixels {
  public:
    LentPixels() = default;
    ~LentPixels() {
        for (const Lent& lent : m_lent)
            ::close(lent.memory);
    }
    LentPixels(const LentPixels&) = delete;
    LentPixels& operator=(const LentPixels&) = delete;

    QImage imageFor(QSize size, QImage::Format format) {
        if (size.isEmpty() || QImage::toPixelFormat(format).bitsPerPixel() != 32)
            return QImage(size, format);
        const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
        const std::size_t bytes = std::size_t(bytesPerLine) * std::size_t(size.height());
        std::byte* mapped = nullptr;
        const int memory = sealableMemory(bytes, mapped);
        if (memory < 0)
            return QImage(size, format);
        m_lent.push_back({memory, mapped, bytes});
        return QImage(reinterpret_cast<uchar*>(mapped), size.width(), size.height(), bytesPerLine, format,
                      &LentPixels::unmap, new Lent{-1, mapped, bytes});
    }

    // The memfd `image` lies in, now the caller's; -1 when it lies elsewhere.
    int take(const QImage& image) {
        for (auto lent = m_lent.begin(); lent != m_lent.end(); ++lent) {
            if (image.constBits() == reinterpret_cast<const uchar*>(lent->pixels) &&
                std::size_t(image.sizeInBytes()) == lent->bytes) {
                const int memory = lent->memory;
                m_lent.erase(lent);
                return memory;
            }
        }
        return -1;
    }

  private:
    struct Lent {
        int memory;
        std::byte* pixels;
        std::size_t bytes;
    };
    static void unmap(void* lent) {
        const auto* mapping = static_cast<Lent*>(lent);
        ::munmap(mapping->pixels, mapping->bytes);
        delete mapping;
    }

    std::vector<Lent> m_lent;
};

// The sealed memfd to hand `size` bytes of `memory` over in: `memory` itself once its
// writable mapping is gone, else (something still maps it) a sealed copy of it.
int handedOver(int memory, std::size_t size) {
    if (seal(memory))
        return memory;
    qCDebug(lcDecoder) << "pixels still mapped for writing cannot be sealed:" << std::strerror(errno)
                       << "- handed over as a copy";
    const int copy = sealedMemory(size, [memory, size](std::byte* into) {
        if (::pread(memory, into, size, 0) != ssize_t(size))
            std::memset(into, 0, size);
    });
    ::close(memory);
    return copy;
}

// The answer, with the memfd `memory` carrying its payload when there is one (not -1).
bool sendAnswer(int reply, const ReplyHeader& header, const int& memory) {
    return sendDatagram(reply, bytesOf(header), memory >= 0 ? std::span(&memory, 1) : std::span<const int>());
}

std::optional<Size> neededSizeOf(const DecoderServer::Request& request) {
    if (!request.bound.isValid())
        return std::nullopt;
    return Size{float(request.bound.width()), float(request.bound.height())};
}

std::optional<DecoderServer::Request> requestOf(Datagram& datagram) {
    RequestHeader header;
    if (datagram.bytes.size() < sizeof header || datagram.descriptors.size() != 2)
        return std::nullopt;
    std::memcpy(&header, datagram.bytes.data(), sizeof header);
    if (header.magic != decoderprotocol::magic ||
        (header.kind != Kind::decode && header.kind != Kind::inspect && header.kind != Kind::movieFacts &&
         header.kind != Kind::animate && header.kind != Kind::firstLook) ||
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

DecoderServer::DecoderServer(int control, Readers readers, Executor& executor, unsigned cpuSecondsPerRequest)
    : m_control(control), m_pictures(readers.pictures), m_everyReader(readers.everyReader),
      m_movies(readers.movies), m_executor(executor),
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
    if (isForAnotherHelper(request))
        sendDatagram(request.reply, bytesOf(ended(Status::elsewhere)));
    else if (request.kind == Kind::animate)
        converse(request);
    else
        answerOnce(request);
    for (const int descriptor : {request.reply, request.file})
        ::close(descriptor);
}

// A helper of this program's own decoders starts quickly, without the image plugins and
// libraries the rest needs; what it cannot decode, the viewer asks of a helper of every
// reader.
bool DecoderServer::isForAnotherHelper(const Request& request) const {
    return !m_everyReader &&
           (request.kind == Kind::inspect || request.kind == Kind::animate || request.kind == Kind::firstLook);
}

void DecoderServer::converse(const Request& request) {
    if (const std::optional<std::string> fault = RequestFaults::actOn(request.path))
        sendDatagram(request.reply, bytesOf(failure(*fault)));
    else
        animate(request);
}

void DecoderServer::answerOnce(const Request& request) {
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
        sendAnswer(request.reply, header, memory);
    }
    if (memory >= 0)
        ::close(memory);
}

ReplyHeader DecoderServer::answerTo(const Request& request, int& memory) {
    switch (request.kind) {
    case Kind::decode:
    case Kind::firstLook: return decode(request, memory);
    case Kind::inspect: return inspect(request, memory);
    case Kind::movieFacts: return probeMovie(request, memory);
    case Kind::animate: break; // a conversation of its own (animate)
    }
    return failure("no such request");
}

ReplyHeader DecoderServer::decode(const Request& request, int& memory) {
    const int reply = request.reply;
    LentPixels lent;
    DecodedPicture decoded;
    {
        const PixelMemory::Lend lend([&lent](QSize size, QImage::Format format) { return lent.imageFor(size, format); });
        const auto stillWanted = [reply] { return stillWantedBy(reply); };
        if (request.kind == Kind::firstLook)
            decoded = m_pictures.decodeFirstLook(request.path, neededSizeOf(request).value_or(Size{}));
        else if (m_everyReader)
            decoded = m_pictures.decodeWhileWanted(request.path, neededSizeOf(request), stillWanted);
        else if (std::optional<DecodedPicture> own =
                     m_pictures.decodeWithOwnDecoders(request.path, neededSizeOf(request), stillWanted))
            decoded = std::move(*own);
        else if (isMovieContainer(fileHead(request.file)))
            return failure("a movie, no picture"); // no helper of every reader started for it
        else
            return ended(Status::elsewhere);
    }
    const PictureImage* pixels = decoded.picture ? decoded.picture->pixels() : nullptr;
    if (pixels == nullptr || pixels->image().isNull())
        return failure("cannot be decoded");
    QImage image = carried(pixels->image());
    ReplyHeader header = describing(image, pixels->storedSize());
    header.orientation = decoded.orientation.value_or(0);
    header.flags |= decoded.animated ? animatedFlag : 0;
    if (const int written = lent.take(image); written >= 0) {
        image = QImage();
        decoded = {}; // the last holders of the writable mapping, which the seal needs gone
        memory = handedOver(written, std::size_t(header.payloadBytes));
    } else {
        qCDebug(lcDecoder) << "the pixels of" << QFile::decodeName(QByteArray::fromStdString(request.path))
                           << "are copied to be handed over";
        memory = copiedToSealedMemory(image);
    }
    return memory >= 0 ? header : failure("no memory to hand the pixels over");
}

// An animation is a conversation on the request's socket, one frame per `next`, until
// the viewer hangs up; its readers hold their own copies of the lent file meanwhile.
void DecoderServer::animate(const Request& request) {
    std::unique_ptr<AnimationFrames> frames;
    try {
        frames = m_pictures.openAnimation(request.path, neededSizeOf(request));
    } catch (const std::exception& error) {
        qCInfo(lcDecoder) << "cannot animate:" << error.what();
    }
    ReplyHeader opened = frames ? ReplyHeader() : failure("no animation to play");
    if (frames) {
        opened.status = Status::animating;
        opened.plays = frames->plays().value_or(-1);
    }
    if (!sendDatagram(request.reply, bytesOf(opened)) || !frames)
        return;
    while (std::optional<Datagram> asked = receiveDatagram(request.reply, sizeof(SessionCommand), 0)) {
        SessionCommand command{};
        if (asked->bytes.size() != sizeof command)
            return;
        std::memcpy(&command, asked->bytes.data(), sizeof command);
        if (const std::optional<std::string> unlimited = allowCpuSecondsFromNow(m_cpuSecondsPerRequest))
            qCWarning(lcDecoder) << "animating without a CPU time limit:" << unlimited->c_str();
        int memory = -1;
        const ReplyHeader header = command == SessionCommand::rewind ? rewound(*frames) : nextFrame(*frames, memory);
        const bool sent = sendAnswer(request.reply, header, memory);
        if (memory >= 0)
            ::close(memory);
        if (!sent)
            return;
    }
}

ReplyHeader DecoderServer::nextFrame(AnimationFrames& frames, int& memory) {
    try {
        const AnimationStep step = frames.next();
        if (step.kind == AnimationStep::Kind::end)
            return ended(Status::ended);
        const PictureImage* pixels = step.picture ? step.picture->pixels() : nullptr;
        if (step.kind == AnimationStep::Kind::damaged || pixels == nullptr || pixels->image().isNull())
            return failure("a damaged frame");
        const QImage image = carried(pixels->image());
        ReplyHeader header = describing(image, image.size());
        header.delayMilliseconds = step.delayMilliseconds;
        memory = copiedToSealedMemory(image);
        return memory >= 0 ? header : failure("no memory to hand the frame over");
    } catch (const std::exception& error) {
        return failure(error.what());
    }
}

ReplyHeader DecoderServer::rewound(AnimationFrames& frames) {
    try {
        return frames.rewind() ? ended(Status::rewound) : failure("cannot be read again");
    } catch (const std::exception& error) {
        return failure(error.what());
    }
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
