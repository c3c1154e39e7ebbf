#pragma once

#include <QString>
#include <chrono>
#include <string>
#include <vector>

// The handing side: a viewer started while another runs on the same display gives
// it its files and ends. Blocking, with short time limits: it runs at start-up,
// before there is any window to keep responsive.
namespace vistrel::handoverclient {

enum class Outcome {
    accepted,   // the running viewer took the paths
    refused,    // it answered that it would not
    noViewer,   // nobody listens on the socket (none, or a stale file of one that ended)
    noAnswer,   // it accepted the connection but did not answer in time
    unsendable, // the paths break the message's limits
};

struct Limits {
    std::chrono::milliseconds connect{1000};
    // A viewer busy taking in a large folder answers only once it is done.
    std::chrono::milliseconds answer{5000};
};

Outcome handOver(const QString& socketPath, const std::vector<std::string>& paths, Limits limits = {});

// Whether a viewer listens on the socket now.
bool viewerListens(const QString& socketPath,
                   std::chrono::milliseconds limit = std::chrono::milliseconds(1000));

} // namespace vistrel::handoverclient
