#pragma once

#include "media/sandbox/DecoderProtocol.h"
#include "media/sandbox/HelperSpawn.h"

#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>

namespace vistrel {

// The decoder helper process as the viewer sees it: every parse of a picture's bytes
// happens there, confined, and what comes back is checked before it is believed. A
// helper that dies, or answers what no helper should, is replaced; the requests it
// held fail or are asked again of the new one. A file that took a helper down twice is
// not given to one again in this process. Thread-safe: each asking thread waits for
// its own answer, on a socket of its own.
class DecoderHelper {
  public:
    struct Answer {
        decoderprotocol::ReplyHeader header;
        // The memfd's bytes: pixels or a PictureInfo; null when the request failed.
        std::shared_ptr<const SealedMapping> payload;
    };
    using StillWanted = std::function<bool()>;
    // A helper decodes pictures with this program's own decoders (PNG, and JPEG larger
    // than needed), which load nothing and so start at once; or it reads pictures with
    // every reader (image plugins, exiv2, libheif, libjxl); or it reads the facts of
    // movies. A helper of pictures passes what its decoders cannot do (other formats,
    // metadata, animations) to a helper of every reader, started the first time it is
    // needed; movie facts have a helper when first wanted.
    enum class Reads { pictures, formats, movies };

    // The helper started from `program`; nullptr (logged) when it cannot start.
    static std::unique_ptr<DecoderHelper> start(const QString& program, Reads reads = Reads::pictures);
    // The helper program beside the viewer (or named by $VISTREL_DECODER), started; a
    // helper of pictures is the one the command `vistrel` started before it became the
    // viewer, when it did, and so is its helper of every reader (see HelperSpawn).
    static std::unique_ptr<DecoderHelper> startInstalled(Reads reads = Reads::pictures);
    // Ends the helper.
    ~DecoderHelper();
    DecoderHelper(const DecoderHelper&) = delete;
    DecoderHelper& operator=(const DecoderHelper&) = delete;

    // Asks about the file `path` and waits on the calling thread for the answer, giving up
    // (and telling the helper) once `stillWanted` answers false. nullopt when there is no
    // answer: the file cannot be opened, the helper failed on it, or nobody wants it any
    // more; each is logged in vistrel.media.decoder.
    // With `session`, an answered request's socket is handed over there instead of being
    // closed, for the conversation an animation is (the caller closes it).
    std::optional<Answer> ask(decoderprotocol::Kind kind, const std::string& path, QSize bound,
                              const StillWanted& stillWanted, int* session = nullptr);
    // The next answer on a session's socket, checked as any answer is; nullopt (logged)
    // when the helper has gone or answered what no helper should.
    static std::optional<Answer> receiveAnswer(int socket, decoderprotocol::Kind kind);

    // The running helper's process, for tests that end it from outside.
    pid_t processId() const;

  private:
    struct Process {
        pid_t id = -1;
        int control = -1;
        std::uint64_t generation = 0;
    };
    // helperGone: it had ended before it was asked; helperLost: it ended, or answered
    // wrongly, while it held the request.
    enum class Outcome { answered, givenUp, helperGone, helperLost };

    DecoderHelper(QString program, Reads reads);
    // The helper the command `vistrel` started (see HelperSpawn).
    static std::unique_ptr<DecoderHelper> adopted(const QString& program, Reads reads,
                                                  const helperspawn::Spawned& started);
    bool launch();
    Process current() const;
    std::optional<Answer> askAbout(decoderprotocol::Kind kind, const std::string& path, int file, QSize bound,
                                   const StillWanted& stillWanted, int* session);
    // The helper of every reader, started at the first call; nullptr when it cannot start.
    DecoderHelper* formatsHelper();
    Outcome askOnce(const Process& helper, decoderprotocol::Kind kind, const std::string& path, int file,
                    QSize bound, const StillWanted& stillWanted, Answer& answer, int* session);
    static bool believable(decoderprotocol::Kind kind, int memory, Answer& answer);
    // Ends the helper of `generation`, if it is still the one running, and starts another.
    void replace(std::uint64_t generation, const char* why);
    // True once the file has taken down helpers twice.
    bool strike(const std::string& path);
    bool isRefused(const std::string& path) const;

    const QString m_program;
    const Reads m_reads;
    mutable std::mutex m_mutex;
    Process m_process;
    std::map<std::string, int> m_strikes;
    std::once_flag m_formatsStarted;
    std::unique_ptr<DecoderHelper> m_formats;
};

} // namespace vistrel
