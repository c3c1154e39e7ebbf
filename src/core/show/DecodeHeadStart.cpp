#include "core/show/DecodeHeadStart.h"

#include "core/work/Executor.h"

#include <chrono>
#include <memory>
#include <utility>

namespace vistrel {

namespace {

bool isReady(const auto& future) {
    return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

} // namespace

DecodeHeadStart::~DecodeHeadStart() {
    if (m_outcome.valid())
        m_outcome.wait();
}

void DecodeHeadStart::start(const std::string& path, Size neededSize, Decode decode, Executor& executor) {
    start(path, FindSize([neededSize] { return std::optional(neededSize); }), std::move(decode), executor);
}

void DecodeHeadStart::start(const std::string& path, FindSize findSize, Decode decode, Executor& executor) {
    auto settled = std::make_shared<std::promise<std::optional<Size>>>();
    std::shared_future<std::optional<Size>> neededSize = settled->get_future().share();
    auto task = std::make_shared<std::packaged_task<Outcome()>>(
        [path, settled, findSize = std::move(findSize), decode = std::move(decode)] {
            const std::optional<Size> size = findSize();
            settled->set_value(size);
            return decodeRegularFile(path, size, decode);
        });
    std::future<Outcome> outcome = task->get_future();
    executor.submit([task] { (*task)(); }, WorkPriority::onScreen);
    std::future<Outcome> replaced;
    {
        const std::lock_guard lock(m_mutex);
        m_path = path;
        ++m_generation;
        m_neededSize = std::move(neededSize);
        replaced = std::exchange(m_outcome, std::move(outcome));
    }
    // An untaken head start runs to its end on its worker; it holds nothing of this.
}

DecodeHeadStart::Outcome DecodeHeadStart::decodeRegularFile(const std::string& path,
                                                            std::optional<Size> neededSize, const Decode& decode) {
    Outcome outcome;
    if (!neededSize)
        return outcome;
    outcome.stamp = FileStamp::of(path);
    if (outcome.stamp.kind == FileKind::regular)
        outcome.decoded = decode(path, *neededSize);
    return outcome;
}

std::optional<std::future<DecodeHeadStart::Outcome>> DecodeHeadStart::takeOutcome(const std::string& path,
                                                                                 std::uint64_t generation) {
    const std::lock_guard lock(m_mutex);
    if (!m_outcome.valid() || path != m_path || generation != m_generation)
        return std::nullopt;
    return std::move(m_outcome);
}

std::optional<DecodedPicture> DecodeHeadStart::take(const std::string& path, std::optional<Size> neededSize) {
    std::shared_future<std::optional<Size>> settledSize;
    std::uint64_t generation = 0;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_outcome.valid() || path != m_path || !neededSize)
            return std::nullopt;
        settledSize = m_neededSize;
        generation = m_generation;
    }
    // Settled within moments of the start; waited for outside the lock all the same.
    const std::optional<Size> size = settledSize.get();
    if (!size || !(*size == *neededSize))
        return std::nullopt;
    std::optional<std::future<Outcome>> outcome = takeOutcome(path, generation);
    if (!outcome)
        return std::nullopt;
    Outcome done = outcome->get();
    if (done.stamp.kind != FileKind::regular || !(FileStamp::of(path) == done.stamp))
        return std::nullopt;
    return std::move(done.decoded);
}

std::optional<PictureDecodedAhead> DecodeHeadStart::takeIfDone(const std::string& path, Size neededSize) {
    std::future<Outcome> outcome;
    {
        const std::lock_guard lock(m_mutex);
        // The size is settled before the decode begins, so a finished one has it.
        if (!m_outcome.valid() || path != m_path || !isReady(m_outcome) || !(m_neededSize.get() == neededSize))
            return std::nullopt;
        outcome = std::move(m_outcome);
    }
    Outcome done = outcome.get();
    if (done.stamp.kind != FileKind::regular || !done.decoded.picture)
        return std::nullopt;
    return done;
}

} // namespace vistrel
