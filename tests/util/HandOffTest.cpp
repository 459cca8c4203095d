#include "util/HandOff.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Every batch is worked on, in order, once; finish() may be called again and the
// hand-off used again after it; an owner that never calls finish() still ends cleanly.
TEST(HandOff, WorksEveryBatchInOrderAcrossFinishes)
{
    std::vector<int> seen;  // only the thread writes it until finish() returns
    util::HandOff<std::vector<int>> handOff([&seen](std::vector<int>& batch) {
        seen.insert(seen.end(), batch.begin(), batch.end());
    });
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

}  // namespace
