#pragma once

#include "media/sandbox/DecoderProtocol.h"

#include <QSize>
#include <string>

namespace vistrel {

class Executor;
class PictureService;

// The decoder helper's side of the protocol: takes requests from the control socket and
// answers each on its own socket, from a worker of `executor`, with what `pictures`
// makes of the file the request lent. A request whose socket the viewer closes is
// abandoned midway.
class DecoderServer {
  public:
    DecoderServer(int control, PictureService& pictures, Executor& executor, unsigned cpuSecondsPerRequest);

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
    decoderprotocol::ReplyHeader decode(const Request& request, int& memory);
    decoderprotocol::ReplyHeader inspect(const Request& request, int& memory);

    int m_control;
    PictureService& m_pictures;
    Executor& m_executor;
    unsigned m_cpuSecondsPerRequest;
};

} // namespace vistrel
