#include "core/intake/EntryBatches.h"

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

class EntryBatchesTest : public ::testing::Test {
  protected:
    void add(int count) {
        for (int i = 0; i < count; ++i)
            batches.add(PlaylistEntry::forPath("/p/" + std::to_string(added++) + ".jpg"));
    }

    EntryBatches::Clock::time_point now{};
    std::vector<std::size_t> sizes;
    int added = 0;
    EntryBatches batches{[this](FileList batch) { sizes.push_back(batch.size()); }, 4, 30ms, [this] { return now; }, 1};
};

TEST_F(EntryBatchesTest, SendsTheFirstAloneThenFullBatchesThenTheRest) {
    add(10);
    EXPECT_THAT(sizes, ElementsAre(1, 4, 4));
    batches.flush();
    batches.flush();
    EXPECT_THAT(sizes, ElementsAre(1, 4, 4, 1));
}

TEST_F(EntryBatchesTest, ABatchWaitsNoLongerThanItsTime) {
    add(2); // the first alone, one waiting
    now += 29ms;
    add(1);
    EXPECT_THAT(sizes, ElementsAre(1));
    now += 1ms;
    add(1); // the oldest waited 30 ms
    EXPECT_THAT(sizes, ElementsAre(1, 3));
    now += 100ms;
    add(1); // a new batch's wait starts with its own first entry
    EXPECT_THAT(sizes, ElementsAre(1, 3));
}

} // namespace
} // namespace vistrel::test
