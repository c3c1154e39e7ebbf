#pragma once

// A Parallelism for tests and benchmarks that really runs work on other threads, of
// its own: the program's own threads belong to its executor, which these do without.

#include "codec/work/Parallelism.h"

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vistrel::test {

class ThreadedParallelism {
  public:
    // `width` threads at once, the caller's included.
    explicit ThreadedParallelism(std::size_t width) : m_width(width) {}
    ~ThreadedParallelism() {
        if (m_folder.joinable())
            m_folder.join();
    }
    ThreadedParallelism(const ThreadedParallelism&) = delete;
    ThreadedParallelism& operator=(const ThreadedParallelism&) = delete;

    // Valid while this object lives.
    Parallelism parallelism() {
        Parallelism parallelism;
        parallelism.width = m_width;
        parallelism.forEach = [this](std::size_t count, const std::function<void(std::size_t)>& body) {
            forEach(count, body);
        };
        parallelism.startIfIdle = [this](std::function<void()>& task) { return startIfIdle(task); };
        return parallelism;
    }

  private:
    // Every thread, the caller's too, takes the next index nobody took.
    void forEach(std::size_t count, const std::function<void(std::size_t)>& body) {
        std::atomic<std::size_t> next{0};
        std::mutex failureMutex;
        std::exception_ptr failure;
        const auto takeIndices = [&] {
            for (std::size_t index = next++; index < count; index = next++) {
                try {
                    body(index);
                } catch (...) {
                    const std::lock_guard lock(failureMutex);
                    if (!failure)
                        failure = std::current_exception();
                }
            }
        };
        std::vector<std::thread> helpers;
        for (std::size_t i = 1; i < m_width && i < count; ++i)
            helpers.emplace_back(takeIndices);
        takeIndices();
        for (std::thread& helper : helpers)
            helper.join();
        if (failure)
            std::rethrow_exception(failure);
    }

    // One task at a time beside the caller's thread, on a thread of its own; the last
    // task's thread has ended, or is about to, when the next one starts.
    bool startIfIdle(std::function<void()>& task) {
        if (m_width < 2 || m_busy.exchange(true))
            return false;
        const std::lock_guard lock(m_folderMutex);
        if (m_folder.joinable())
            m_folder.join();
        m_folder = std::thread([this, run = std::move(task)] {
            run();
            m_busy = false;
        });
        return true;
    }

    std::size_t m_width;
    std::atomic<bool> m_busy{false};
    std::mutex m_folderMutex;
    std::thread m_folder;
};

} // namespace vistrel::test
