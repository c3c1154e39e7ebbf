#include "core/work/ThreadPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace vistrel::test {
namespace {

// Holds a worker until released, so a test can fill the pool.
struct Gate {
    std::promise<void> open;
    std::shared_future<void> opened = open.get_future().share();
    std::function<void()> blocker() {
        return [opened = opened] { opened.wait(); };
    }
};

TEST(ThreadPool, AFreedWorkerTakesTheMostUrgentTaskWaitingAndAmongEqualsTheOldest) {
    ThreadPool pool(1);
    Gate gate;
    pool.submit(gate.blocker());
    std::mutex mutex;
    std::vector<std::string> order;
    auto note = [&](std::string name) {
        return [&, name] {
            const std::lock_guard lock(mutex);
            order.push_back(name);
        };
    };
    pool.submit(note("scan"), WorkPriority::background);
    pool.submit(note("preload"), WorkPriority::preload);
    pool.submit(note("show 1"), WorkPriority::onScreen);
    pool.submit(note("show 2"), WorkPriority::onScreen);
    gate.open.set_value();
    pool.waitUntilIdle();
    EXPECT_EQ(order, (std::vector<std::string>{"show 1", "show 2", "preload", "scan"}));
}

TEST(ThreadPool, ForEachRunsEveryIndexOnceEvenWithEveryWorkerBusyAndRethrowsAFailure) {
    ThreadPool pool(2);
    Gate gate;
    pool.submit(gate.blocker());
    pool.submit(gate.blocker());
    std::vector<std::atomic<int>> runs(7);
    pool.forEach(runs.size(), [&](std::size_t index) { ++runs[index]; });
    for (const auto& count : runs)
        EXPECT_EQ(count, 1);

    EXPECT_THROW(pool.forEach(3, [](std::size_t index) {
        if (index == 1)
            throw std::bad_alloc();
    }),
                 std::bad_alloc);
    gate.open.set_value();
}

TEST(ThreadPool, StartIfIdleStartsOnlyOnAnIdleWorkerAndAThrowingTaskLeavesItsWorkerAlive) {
    ThreadPool pool(1, [](const std::string&) {});
    Gate gate;
    pool.submit(gate.blocker());
    std::function<void()> folding = [] {};
    EXPECT_FALSE(pool.startIfIdle(folding));
    EXPECT_TRUE(folding) << "a task not started is left to the caller";
    gate.open.set_value();
    pool.waitUntilIdle();

    pool.submit([] { throw std::runtime_error("decoder failed"); });
    std::promise<void> ran;
    std::function<void()> next = [&ran] { ran.set_value(); };
    pool.waitUntilIdle();
    EXPECT_TRUE(pool.startIfIdle(next));
    ran.get_future().wait();
}

} // namespace
} // namespace vistrel::test
