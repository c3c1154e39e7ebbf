#include "app/QtScheduler.h"

#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <vector>

namespace vistrel {
namespace {

// Waits until `condition` holds, processing events; false after a generous limit.
template <class Condition> bool waitUntil(Condition condition) {
    return QTest::qWaitFor(condition, 5000);
}

TEST(QtSchedulerTest, OneShotRunsOnceAndIsGone) {
    QtScheduler scheduler;
    int runs = 0;
    const auto id = scheduler.scheduleOnce(0.01, [&] { ++runs; });
    EXPECT_NE(id, Scheduler::noTimer);
    ASSERT_TRUE(waitUntil([&] { return runs == 1; }));

    bool later = false; // a timer due well after the first proves it did not run again
    scheduler.scheduleOnce(0.05, [&] { later = true; });
    ASSERT_TRUE(waitUntil([&] { return later; }));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST(QtSchedulerTest, RepeatingTimerCancelledFromItsOwnActionStops) {
    QtScheduler scheduler;
    int runs = 0;
    Scheduler::TimerId id = Scheduler::noTimer;
    id = scheduler.scheduleRepeating(0.005, [&] {
        if (++runs == 3)
            scheduler.cancel(id);
    });
    ASSERT_TRUE(waitUntil([&] { return runs == 3; }));

    bool later = false;
    scheduler.scheduleOnce(0.05, [&] { later = true; });
    ASSERT_TRUE(waitUntil([&] { return later; }));
    EXPECT_EQ(runs, 3);
}

TEST(QtSchedulerTest, CancelledTimersNeverRunAndUnknownIdsAreIgnored) {
    QtScheduler scheduler;
    bool cancelledRan = false;
    const auto once = scheduler.scheduleOnce(0.0, [&] { cancelledRan = true; });
    const auto repeating = scheduler.scheduleRepeating(0.0, [&] { cancelledRan = true; });
    EXPECT_NE(once, repeating);
    scheduler.cancel(once);
    scheduler.cancel(repeating);
    scheduler.cancel(once); // twice
    scheduler.cancel(Scheduler::noTimer);
    scheduler.cancel(12345);

    bool later = false;
    scheduler.scheduleOnce(0.02, [&] { later = true; });
    ASSERT_TRUE(waitUntil([&] { return later; }));
    EXPECT_FALSE(cancelledRan);
}

TEST(QtSchedulerTest, NoTimerFiresAfterTheSchedulerIsDestroyed) {
    bool ran = false;
    {
        QtScheduler scheduler;
        scheduler.scheduleOnce(0.0, [&] { ran = true; });
        scheduler.scheduleRepeating(0.0, [&] { ran = true; });
    }
    bool later = false;
    QTimer::singleShot(20, [&] { later = true; });
    ASSERT_TRUE(waitUntil([&] { return later; }));
    EXPECT_FALSE(ran);
}

TEST(QtSchedulerTest, NegativeOrOddDelaysRunAtOnce) {
    QtScheduler scheduler;
    int runs = 0;
    scheduler.scheduleOnce(-1.0, [&] { ++runs; });
    scheduler.scheduleOnce(std::numeric_limits<double>::quiet_NaN(), [&] { ++runs; });
    ASSERT_TRUE(waitUntil([&] { return runs == 2; }));
}

} // namespace
} // namespace vistrel
