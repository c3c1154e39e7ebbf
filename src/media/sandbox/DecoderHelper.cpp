#include "media/sandbox/DecoderHelper.h"

#include "codec/io/OwnedDescriptor.h"
#include "codec/io/SourceFiles.h"
#include "media/modules/LoadableModule.h"
#include "media/sandbox/HelperSpawn.h"
#include "media/support/LogCategories.h"

#include <QFile>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <utility>
#include <unistd.h>
#include <vector>

namespace vistrel {

namespace {

using namespace decoderprotocol;

// How often a waiting request asks whether it is still wanted.
constexpr int stillWantedIntervalMilliseconds = 25;
constexpr std::uint64_t largestInfo = std::uint64_t(64) << 20;

QString nameOf(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::vector<std::byte> requestBytes(Kind kind, const std::string& path, QSize bound) {
    RequestHeader header;
    header.kind = kind;
    header.boundWidth = bound.isValid() ? bound.width() : 0;
    header.boundHeight = bound.isValid() ? bound.height() : 0;
    header.pathBytes = std::uint32_t(path.size());
    std::vector<std::byte> bytes(sizeof header + path.size());
    std::memcpy(bytes.data(), &header, sizeof header);
    std::memcpy(bytes.data() + sizeof header, path.data(), path.size());
    return bytes;
}

// What the helper program is told to read; nothing for pictures of our own decoders.
const char* optionFor(DecoderHelper::Reads reads) {
    switch (reads) {
    case DecoderHelper::Reads::pictures: return nullptr;
    case DecoderHelper::Reads::formats: return "--formats";
    case DecoderHelper::Reads::movies: return "--movies";
    }
    return nullptr;
}

// How a helper ended, for the log.
QString endingOf(int status) {
    if (WIFSIGNALED(status))
        return QStringLiteral("ended by signal %1 (%2)").arg(WTERMSIG(status)).arg(strsignal(WTERMSIG(status)));
    if (WIFEXITED(status))
        return QStringLiteral("exited with status %1").arg(WEXITSTATUS(status));
    return QStringLiteral("ended");
}

// A helper whose socket closed is dying; one that is not after a moment is made to.
QString reap(pid_t helper) {
    int status = 0;
    for (int wait = 0; wait < 20; ++wait) {
        if (::waitpid(helper, &status, WNOHANG) == helper)
            return endingOf(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(helper, SIGKILL);
    if (::waitpid(helper, &status, 0) == helper)
        return QStringLiteral("stopped");
    return QStringLiteral("gone");
}

} // namespace

DecoderHelper::DecoderHelper(QString program, Reads reads) : m_program(std::move(program)), m_reads(reads) {}

std::unique_ptr<DecoderHelper> DecoderHelper::start(const QString& program, Reads reads) {
    std::unique_ptr<DecoderHelper> helper(new DecoderHelper(program, reads));
    if (!helper->launch())
        return nullptr;
    return helper;
}

std::unique_ptr<DecoderHelper> DecoderHelper::startInstalled(Reads reads) {
    const std::optional<QString> program = LoadableModule::locate(QStringLiteral("vistrel-decoder"), "VISTREL_DECODER");
    if (!program) {
        qCWarning(lcDecoder) << "no decoder helper found: files are read in the viewer itself";
        return nullptr;
    }
    if (reads != Reads::pictures)
        return start(*program, reads);
    const std::optional<helperspawn::Spawned> ownDecoders = helperspawn::takeHandedOn();
    const std::optional<helperspawn::Spawned> everyReader =
        helperspawn::takeHandedOn(helperspawn::formatsHandedOnVariable);
    std::unique_ptr<DecoderHelper> helper = ownDecoders ? adopted(*program, reads, *ownDecoders) : start(*program, reads);
    // Taken over however it goes, so that a helper of every reader never outlives its use.
    std::unique_ptr<DecoderHelper> formats = everyReader ? adopted(*program, Reads::formats, *everyReader) : nullptr;
    if (helper && formats)
        std::call_once(helper->m_formatsStarted, [&] { helper->m_formats = std::move(formats); });
    return helper;
}

std::unique_ptr<DecoderHelper> DecoderHelper::adopted(const QString& program, Reads reads,
                                                      const helperspawn::Spawned& started) {
    std::unique_ptr<DecoderHelper> helper(new DecoderHelper(program, reads));
    helper->m_process = Process{started.id, started.control, 1};
    return helper;
}

DecoderHelper::~DecoderHelper() {
    std::lock_guard lock(m_mutex);
    if (m_process.id < 0)
        return;
    ::close(m_process.control); // the helper ends when its control socket does
    ::kill(m_process.id, SIGKILL);
    ::waitpid(m_process.id, nullptr, 0);
}

// Called with the mutex held, or before the helper is shared.
bool DecoderHelper::launch() {
    const QByteArray program = QFile::encodeName(m_program);
    const std::optional<helperspawn::Spawned> spawned = helperspawn::spawn(program.constData(), optionFor(m_reads));
    if (!spawned) {
        qCWarning(lcDecoder) << "cannot start the decoder helper" << m_program << "-" << std::strerror(errno);
        return false;
    }
    m_process = Process{spawned->id, spawned->control, m_process.generation + 1};
    return true;
}

DecoderHelper::Process DecoderHelper::current() const {
    std::lock_guard lock(m_mutex);
    return m_process;
}

pid_t DecoderHelper::processId() const {
    return current().id;
}

std::optional<DecoderHelper::Answer> DecoderHelper::ask(Kind kind, const std::string& path, QSize bound,
                                                        const StillWanted& stillWanted, int* session) {
    if (path.size() > longestPath || isRefused(path))
        return std::nullopt;
    const OwnedDescriptor file(SourceFiles::openRegular(path));
    if (file.get() < 0) {
        qCInfo(lcDecoder) << "cannot open" << nameOf(path) << "-" << std::strerror(errno);
        return std::nullopt;
    }
    std::optional<Answer> answer = askAbout(kind, path, file.get(), bound, stillWanted, session);
    if (!answer || answer->header.status != Status::elsewhere)
        return answer;
    if (session != nullptr)
        ::close(std::exchange(*session, -1));
    if (m_reads != Reads::pictures) {
        qCWarning(lcDecoder) << "the helper of every reader passed" << nameOf(path) << "on";
        return std::nullopt;
    }
    DecoderHelper* formats = formatsHelper();
    if (formats == nullptr || formats->isRefused(path))
        return std::nullopt;
    return formats->askAbout(kind, path, file.get(), bound, stillWanted, session);
}

DecoderHelper* DecoderHelper::formatsHelper() {
    std::call_once(m_formatsStarted, [this] {
        qCDebug(lcDecoder) << "starting the helper of every reader";
        m_formats = start(m_program, Reads::formats);
    });
    return m_formats.get();
}

std::optional<DecoderHelper::Answer> DecoderHelper::askAbout(Kind kind, const std::string& path, int file,
                                                             QSize bound, const StillWanted& stillWanted,
                                                             int* session) {
    // A helper lost while it held the request is replaced and asked again, once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Process helper = current();
        if (helper.id < 0)
            return std::nullopt;
        Answer answer;
        switch (askOnce(helper, kind, path, file, bound, stillWanted, answer, session)) {
        case Outcome::answered:
            return answer;
        case Outcome::givenUp:
            return std::nullopt;
        case Outcome::helperGone: // no fault of this file's
            replace(helper.generation, "had ended");
            break;
        case Outcome::helperLost:
            replace(helper.generation, "lost while it decoded");
            if (strike(path)) {
                qCWarning(lcDecoder) << nameOf(path) << "took down the decoder helper twice; not tried again";
                return std::nullopt;
            }
        }
    }
    return std::nullopt;
}

DecoderHelper::Outcome DecoderHelper::askOnce(const Process& helper, Kind kind, const std::string& path,
                                              int file, QSize bound, const StillWanted& stillWanted,
                                              Answer& answer, int* session) {
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) {
        qCWarning(lcDecoder) << "no socket for a request:" << std::strerror(errno);
        return Outcome::givenUp;
    }
    OwnedDescriptor reply(ends[0]);
    const int passed[] = {file, ends[1]};
    const bool sent = sendDatagram(helper.control, requestBytes(kind, path, bound), passed);
    ::close(ends[1]);
    if (!sent)
        return Outcome::helperGone;
    pollfd waiting{reply.get(), POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&waiting, 1, stillWantedIntervalMilliseconds);
        if (ready > 0 || (ready < 0 && errno != EINTR))
            break;
        if (!stillWanted()) {
            qCDebug(lcDecoder) << "gave up on" << nameOf(path) << "- no longer wanted";
            return Outcome::givenUp; // the helper sees the socket close and stops
        }
    }
    std::optional<Answer> received = receiveAnswer(reply.get(), kind);
    if (!received) {
        qCWarning(lcDecoder) << "no answer about" << nameOf(path);
        return Outcome::helperLost;
    }
    answer = std::move(*received);
    if (answer.header.status == Status::failed)
        qCInfo(lcDecoder) << "cannot decode" << nameOf(path) << "-" << answer.header.reason;
    if (session != nullptr)
        *session = reply.release();
    return Outcome::answered;
}

std::optional<DecoderHelper::Answer> DecoderHelper::receiveAnswer(int socket, Kind kind) {
    std::optional<Datagram> datagram = receiveDatagram(socket, sizeof(ReplyHeader), 1);
    if (!datagram) {
        qCWarning(lcDecoder) << "the decoder helper ended before it answered";
        return std::nullopt;
    }
    if (datagram->bytes.size() != sizeof(ReplyHeader)) {
        qCWarning(lcDecoder) << "the decoder helper answered" << datagram->bytes.size() << "bytes - not an answer";
        return std::nullopt;
    }
    Answer answer;
    std::memcpy(&answer.header, datagram->bytes.data(), sizeof(ReplyHeader));
    answer.header.reason[sizeof answer.header.reason - 1] = '\0';
    if (!believable(kind, datagram->takeDescriptor(0), answer)) {
        qCWarning(lcDecoder) << "the decoder helper's answer does not hold up";
        return std::nullopt;
    }
    return answer;
}

bool DecoderHelper::believable(Kind kind, int memory, Answer& answer) {
    const OwnedDescriptor owned(memory);
    const ReplyHeader& header = answer.header;
    if (header.magic != decoderprotocol::magic)
        return false;
    if (header.status == Status::failed)
        return true;
    if (header.status == Status::elsewhere)
        return kind != Kind::movieFacts && header.payloadBytes == 0;
    if (kind == Kind::animate && (header.status == Status::animating || header.status == Status::ended ||
                                  header.status == Status::rewound))
        return header.plays >= -1 && header.payloadBytes == 0;
    const bool pixels = (kind == Kind::decode || kind == Kind::firstLook || kind == Kind::animate) &&
                        header.status == Status::decoded &&
                        believablePixels(header);
    const bool info = ((kind == Kind::inspect && header.status == Status::inspected) ||
                       (kind == Kind::movieFacts && header.status == Status::probed)) &&
                      header.payloadBytes > 0 && header.payloadBytes <= largestInfo;
    if (!pixels && !info)
        return false;
    answer.payload = SealedMapping::map(memory, std::size_t(header.payloadBytes));
    return answer.payload != nullptr;
}

void DecoderHelper::replace(std::uint64_t generation, const char* why) {
    std::lock_guard lock(m_mutex);
    if (m_process.generation != generation || m_process.id < 0)
        return; // replaced already by another request that saw it go
    ::close(m_process.control);
    qCWarning(lcDecoder) << "decoder helper" << m_process.id << why << "-" << reap(m_process.id)
                         << "; starting another";
    m_process.id = -1;
    launch();
}

bool DecoderHelper::strike(const std::string& path) {
    std::lock_guard lock(m_mutex);
    return ++m_strikes[path] >= 2;
}

bool DecoderHelper::isRefused(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_strikes.find(path);
    return found != m_strikes.end() && found->second >= 2;
}

} // namespace vistrel
