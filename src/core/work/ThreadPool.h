#pragma once

#include "core/work/Executor.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <queue>
#include <string>
#include <thread>
#include <vector>

namespace vistrel {

// The executor: a fixed set of workers taking tasks by priority, one per core (at least
// two, so that a slow task never holds up everything else) and one more, so that a task
// that waits (the first picture's decode waiting for the screen's size, a file read, a
// module load) does not leave a core idle. Work that needs more
// threads borrows these through forEach and startIfIdle rather than starting its own.
// A destroyed pool runs the tasks already submitted, then ends its workers.
class ThreadPool final : public Executor {
  public:
    // Hears what a task threw (a task should catch its own failures; this is the last net).
    using FailureReport = std::function<void(const std::string& what)>;

    // 0 workers: one per core, at least two, and one more.
    explicit ThreadPool(std::size_t workers = 0, FailureReport reportFailure = {});
    ~ThreadPool() override;
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    void submit(std::function<void()> task, WorkPriority priority = WorkPriority::background) override;
    void forEach(std::size_t count, const std::function<void(std::size_t)>& body) override;
    bool startIfIdle(std::function<void()>& task) override;
    std::size_t width() const override { return m_workers.size(); }

    // Waits until no task waits or runs; for tests and orderly shut-downs.
    void waitUntilIdle();

  private:
    struct Queued {
        int priority; // lower first; startIfIdle's tasks go before any other
        std::uint64_t order;
        std::function<void()> task;
        bool operator<(const Queued& other) const {
            return priority != other.priority ? priority > other.priority : order > other.order;
        }
    };

    void enqueue(int priority, std::function<void()> task);
    void work();
    void runGuarded(std::function<void()>& task) const;

    FailureReport m_reportFailure;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::priority_queue<Queued> m_queue;
    std::uint64_t m_submitted = 0;
    std::size_t m_busy = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_workers; // the only threads the program starts for its work
};

} // namespace vistrel
