#include "show/DecodeHeadStart.h"

#include <chrono>
#include <utility>

namespace vistrel {

DecodeHeadStart::~DecodeHeadStart() {
    if (m_outcome.valid())
        m_outcome.wait();
}

void DecodeHeadStart::start(const std::string& path, Size neededSize, Decode decode) {
    std::future<Outcome> outcome =
        std::async(std::launch::async, [path, neededSize, decode = std::move(decode)] {
            return decodeRegularFile(path, neededSize, decode);
        });
    std::future<Outcome> replaced;
    {
        const std::lock_guard lock(m_mutex);
        m_path = path;
        m_neededSize = neededSize;
        replaced = std::exchange(m_outcome, std::move(outcome));
    }
    // An untaken head start finishes outside the lock (its future waits when dropped).
}

DecodeHeadStart::Outcome DecodeHeadStart::decodeRegularFile(const std::string& path, Size neededSize,
                                                            const Decode& decode) {
    Outcome outcome;
    outcome.stamp = FileStamp::of(path);
    if (outcome.stamp.kind == FileKind::regular)
        outcome.decoded = decode(path, neededSize);
    return outcome;
}

std::optional<DecodedPicture> DecodeHeadStart::take(const std::string& path, std::optional<Size> neededSize) {
    std::future<Outcome> outcome;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_outcome.valid() || path != m_path || !neededSize || !(*neededSize == m_neededSize))
            return std::nullopt;
        outcome = std::move(m_outcome);
    }
    Outcome done = outcome.get();
    if (done.stamp.kind != FileKind::regular || !(FileStamp::of(path) == done.stamp))
        return std::nullopt;
    return std::move(done.decoded);
}

std::optional<PictureDecodedAhead> DecodeHeadStart::takeIfDone(const std::string& path, Size neededSize) {
    std::future<Outcome> outcome;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_outcome.valid() || path != m_path || !(neededSize == m_neededSize) ||
            m_outcome.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return std::nullopt;
        outcome = std::move(m_outcome);
    }
    Outcome done = outcome.get();
    if (done.stamp.kind != FileKind::regular || !done.decoded.picture)
        return std::nullopt;
    return done;
}

} // namespace vistrel
