#include "util/HandOff.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <new>
#include <thread>
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

// With one batch waiting, a third handed over while the thread is busy waits for room:
// large batches never pile up.
TEST(HandOff, OneWaitingHoldsTheNextBatchBack)
{
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    std::atomic<int> taken{0};
    util::HandOff<std::vector<int>> handOff(
        [&](std::vector<int>&) {
            ++taken;
            std::unique_lock lock(mutex);
            released.wait(lock, [&] { return release; });
        },
        1);
    std::vector<int> batch{1};
    handOff.handOver(batch);
    while (taken == 0) {
        std::this_thread::yield();
    }
    batch = {2};
    handOff.handOver(batch);  // waits beside the one being worked on
    std::atomic<bool> third{false};
    std::thread owner([&] {
        std::vector<int> more{3};
        handOff.handOver(more);
        third = true;
    });
    // Not a measure: long enough for a hand-over that does not wait to have returned.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(third);
    {
        const std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();
    owner.join();
    EXPECT_TRUE(third);
    handOff.finish();
    EXPECT_EQ(taken, 3);
}

// Work that throws (memory running out in a picture) neither ends the program nor takes
// more batches: the owner gets the exception, once, from its next hand-over or from
// finish(), on its own thread; the hand-off then starts afresh. An owner that drops the
// hand-off without asking is not thrown at.
TEST(HandOff, WhatTheWorkThrowsComesToTheOwnerOnce)
{
    for (const bool finishFirst : {false, true}) {
        std::vector<int> seen;
        util::HandOff<std::vector<int>> handOff([&seen](std::vector<int>& batch) {
            if (batch.front() == 3) {
                throw std::bad_alloc();
            }
            seen.push_back(batch.front());
        });
        std::vector<int> batch;
        bool thrown = false;
        try {
            for (int i = 1; i <= (finishFirst ? 3 : 40); ++i) {
                batch = {i};
                handOff.handOver(batch);
            }
            handOff.finish();
        } catch (const std::bad_alloc&) {
            thrown = true;
        }
        EXPECT_TRUE(thrown) << finishFirst;
        handOff.finish();  // told once: quiet now
        EXPECT_EQ(seen, (std::vector<int>{1, 2})) << finishFirst;

        batch = {5};
        handOff.handOver(batch);
        handOff.finish();
        EXPECT_EQ(seen, (std::vector<int>{1, 2, 5})) << finishFirst;
    }
    util::HandOff<std::vector<int>> dropped([](std::vector<int>&) { throw std::bad_alloc(); });
    std::vector<int> one{1};
    dropped.handOver(one);
}

}  // namespace
