#pragma once

#include "media/sandbox/DecoderProtocol.h"

#include <QSize>
#include <cstddef>
#include <string>
#include <vector>

namespace vistrel {

class AnimationFrames;
class Executor;
class MovieEngine;
class QtPictureService;

// The decoder helper's side of the protocol: takes requests from the control socket and
// answers each on its own socket, from a worker of `executor`, with what `pictures`
// (or, for movie facts, `movies`, when this helper reads movies) makes of the file the
// request lent. A request whose socket the viewer closes is abandoned midway.
class DecoderServer {
  public:
    // What the helper loaded before its wall went up, and so can read: every reader
    // (image plugins, metadata, the formats module), or this program's own decoders
    // alone, which load nothing and answer "elsewhere" for what they cannot decode; for
    // movie facts, `movies`.
    struct Readers {
        QtPictureService& pictures;
        bool everyReader = false;
        MovieEngine* movies = nullptr;
    };
    DecoderServer(int control, Readers readers, Executor& executor, unsigned cpuSecondsPerRequest);

    // Serves until the viewer closes the control socket. A request that does not read
    // is dropped (its socket closed) and logged.
    void serve();

    // One request as it came, with the descriptors it lent.
    struct Request {
        decoderprotocol::Kind kind;
        std::string path;
        QSize bound;
        int file;
        int reply;
    };

  private:
    void answer(const Request& request);
    void answerOnce(const Request& request);
    void converse(const Request& request);
    bool isForAnotherHelper(const Request& request) const;
    decoderprotocol::ReplyHeader answerTo(const Request& request, int& memory);
    decoderprotocol::ReplyHeader decode(const Request& request, int& memory);
    decoderprotocol::ReplyHeader inspect(const Request& request, int& memory);
    decoderprotocol::ReplyHeader probeMovie(const Request& request, int& memory);
    void animate(const Request& request);
    static decoderprotocol::ReplyHeader nextFrame(AnimationFrames& frames, int& memory);
    static decoderprotocol::ReplyHeader rewound(AnimationFrames& frames);
    // `bytes` in a sealed memfd, as the answer of `status`.
    static decoderprotocol::ReplyHeader carrying(decoderprotocol::Status status, const std::vector<std::byte>& bytes,
                                                 int& memory);

    int m_control;
    QtPictureService& m_pictures;
    bool m_everyReader;
    MovieEngine* m_movies;
    Executor& m_executor;
    unsigned m_cpuSecondsPerRequest;
};

} // namespace vistrel
