#include "util/HandOff.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace {

// Every batch is worked on, in order, once; finish() may be called again and the
// hand-off used again after it; an owner that never calls finish() still ends cleanly.
// With as many batches waiting as the default allows, or only one (large batches).
class HandOffWaiting : public testing::TestWithParam<std::size_t> {};

TEST_P(HandOffWaiting, WorksEveryBatchInOrderAcrossFinishes)
{
    std::vector<int> seen;  // only the thread writes it until finish() returns
    util::HandOff<std::vector<int>> handOff(
        [&seen](std::vector<int>& batch) { seen.insert(seen.end(), batch.begin(), batch.end()); }, GetParam());
    EXPECT_FALSE(handOff.started());
    handOff.finish();  // nothing handed over: returns at once

    std::vector<int> expected;
    std::vector<int> filling;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 500; ++i) {
            filling.push_back(i + 1000 * round);
            expected.push_back(i + 1000 * round);
            if (filling.size() == 7) {
                handOff.handOver(filling);
                EXPECT_TRUE(filling.empty());
            }
        }
        handOff.handOver(filling);
        handOff.finish();
        handOff.finish();
        EXPECT_EQ(seen, expected) << "round " << round;
    }

    util::HandOff<std::vector<int>> abandoned([](std::vector<int>&) {});
    std::vector<int> one{1};
    abandoned.handOver(one);
}

INSTANTIATE_TEST_SUITE_P(HandOff, HandOffWaiting, testing::Values(std::size_t{4}, std::size_t{1}));

}  // namespace
