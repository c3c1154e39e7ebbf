#pragma once

#include "core/media/MovieFacts.h"
#include "media/sandbox/DecoderHelper.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace vistrel {

// Movie facts read behind the wall: libavformat parses the file in a helper of its own,
// started the first time facts are wanted, so that a launch on pictures never loads
// the movie libraries. Thread-safe.
class HelperMovieFacts {
  public:
    using Start = std::function<std::unique_ptr<DecoderHelper>()>;
    explicit HelperMovieFacts(Start start) : m_start(std::move(start)) {}

    // Whether a helper runs to ask; the first call starts it and blocks meanwhile.
    bool available();
    // nullopt when the file is no movie, cannot be read, or took the helper down.
    std::optional<MovieFacts> movieFacts(const std::string& path);

  private:
    Start m_start;
    std::once_flag m_started;
    std::unique_ptr<DecoderHelper> m_helper;
};

} // namespace vistrel
