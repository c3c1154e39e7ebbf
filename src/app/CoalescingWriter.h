#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace vistrel {

// Runs writes on a thread of its own, so that the GUI thread never waits on a disk.
// Only the newest write waiting matters: one handed over while another is still
// waiting replaces it, so a burst of changes costs at most one more write. Whatever
// was handed over is written before the writer is destroyed.
class CoalescingWriter {
  public:
    using Write = std::function<void()>;

    CoalescingWriter() = default;
    ~CoalescingWriter();
    CoalescingWriter(const CoalescingWriter&) = delete;
    CoalescingWriter& operator=(const CoalescingWriter&) = delete;

    void submit(Write write);
    // Returns once every write handed over so far is done.
    void waitUntilWritten();

  private:
    void drain();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    Write m_waiting;
    bool m_writing = false;
    bool m_stopping = false;
    std::thread m_thread; // started by the first write
};

} // namespace vistrel
