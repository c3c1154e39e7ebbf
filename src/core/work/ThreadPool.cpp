#include "core/work/ThreadPool.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <utility>

namespace vistrel {

namespace {

constexpr int startAtOnce = -1; // before every WorkPriority

// What the bodies of one forEach share with the workers that join in. Owned jointly, so
// that a worker that starts after the caller returned finds nothing left to do.
struct Spread {
    Spread(std::size_t bodies, const std::function<void(std::size_t)>& each) : count(bodies), body(&each) {}

    // Runs bodies until none is left; true when it ran any.
    void runBodies() {
        for (std::size_t index = next.fetch_add(1); index < count; index = next.fetch_add(1)) {
            try {
                (*body)(index);
            } catch (...) {
                const std::lock_guard lock(mutex);
                if (!failure)
                    failure = std::current_exception();
            }
            const std::lock_guard lock(mutex);
            if (++finished == count)
                done.notify_all();
        }
    }

    const std::size_t count;
    const std::function<void(std::size_t)>* body; // valid until every index has finished
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable done;
    std::size_t finished = 0; // guarded by mutex, as is failure
    std::exception_ptr failure;
};

} // namespace

ThreadPool::ThreadPool(std::size_t workers, FailureReport reportFailure)
    : m_reportFailure(std::move(reportFailure)) {
    if (workers == 0)
        workers = std::max<std::size_t>(2, std::thread::hardware_concurrency()) + 1;
    m_workers.reserve(workers);
    for (std::size_t index = 0; index < workers; ++index)
        m_workers.emplace_back([this] { work(); });
}

ThreadPool::~ThreadPool() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

void ThreadPool::submit(std::function<void()> task, WorkPriority priority) {
    enqueue(static_cast<int>(priority), std::move(task));
}

void ThreadPool::enqueue(int priority, std::function<void()> task) {
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push(Queued{priority, m_submitted++, std::move(task)});
    }
    m_wake.notify_one();
}

bool ThreadPool::startIfIdle(std::function<void()>& task) {
    {
        const std::lock_guard lock(m_mutex);
        // A worker is idle only if no waiting task would take it first.
        if (m_stopping || m_busy + m_queue.size() >= m_workers.size())
            return false;
        m_queue.push(Queued{startAtOnce, m_submitted++, std::move(task)});
    }
    m_wake.notify_one();
    return true;
}

void ThreadPool::forEach(std::size_t count, const std::function<void(std::size_t)>& body) {
    if (count == 0)
        return;
    auto spread = std::make_shared<Spread>(count, body);
    // Helpers that find every index taken return at once; the caller never waits on them.
    const std::size_t helpers = std::min(count, m_workers.size()) - 1;
    for (std::size_t index = 0; index < helpers; ++index)
        enqueue(startAtOnce, [spread] { spread->runBodies(); });
    spread->runBodies();
    std::unique_lock lock(spread->mutex);
    spread->done.wait(lock, [&] { return spread->finished == count; });
    if (spread->failure)
        std::rethrow_exception(spread->failure);
}

void ThreadPool::waitUntilIdle() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && m_busy == 0; });
}

// A task that throws ends itself, not its worker (nor, through std::terminate, the program).
void ThreadPool::runGuarded(std::function<void()>& task) const {
    try {
        task();
    } catch (const std::exception& error) {
        if (m_reportFailure)
            m_reportFailure(error.what());
    } catch (...) {
        if (m_reportFailure)
            m_reportFailure("an exception of unknown type");
    }
}

void ThreadPool::work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty())
            return; // stopping, and nothing left to run
        std::function<void()> task = std::move(const_cast<Queued&>(m_queue.top()).task);
        m_queue.pop();
        ++m_busy;
        lock.unlock();
        runGuarded(task);
        task = nullptr; // what it held goes before the pool counts it done
        lock.lock();
        --m_busy;
        if (m_queue.empty() && m_busy == 0)
            m_idle.notify_all();
    }
}

} // namespace vistrel
