#pragma once

#include "core/playlist/PlaylistStore.h"

#include <chrono>
#include <cstddef>
#include <functional>

namespace vistrel {

// Gathers the entries a scan finds on a worker into batches for the GUI thread, so
// that a large folder costs a few hundred list edits rather than one per file. The
// first entry goes on its own at once: it is the one shown, and it should not wait
// for a batch to fill. After it a batch goes when it is full or when its oldest entry
// has waited long enough, whichever comes first; flush() sends the rest. Reading the
// clock costs more than taking an entry, so the wait is checked every `clockStride`
// entries.
class EntryBatches {
  public:
    using Clock = std::chrono::steady_clock;
    using Send = std::function<void(FileList)>;

    static constexpr std::size_t defaultCapacity = 256;
    static constexpr Clock::duration defaultWait = std::chrono::milliseconds(30);
    static constexpr std::size_t defaultClockStride = 16;

    explicit EntryBatches(Send send, std::size_t capacity = defaultCapacity, Clock::duration wait = defaultWait,
                          std::function<Clock::time_point()> now = &Clock::now,
                          std::size_t clockStride = defaultClockStride);

    void add(PlaylistEntry entry);
    // Sends the entries gathered so far, if there are any.
    void flush();

  private:
    bool waitedEnough() const;

    Send m_send;
    std::size_t m_capacity;
    Clock::duration m_wait;
    std::function<Clock::time_point()> m_now;
    std::size_t m_clockStride;
    FileList m_batch;
    Clock::time_point m_oldest;
    bool m_sentAny = false;
};

} // namespace vistrel
