// Work handed from the run's thread to one of its own, batch by batch and in order:
// the run fills a batch while the thread works on the one before, so at most three
// batches exist at a time. The thread starts with the first batch handed over.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

namespace run {

template <class Batch>
class HandOff {
public:
    // `work` runs on the thread, once per batch. Batch has clear().
    explicit HandOff(std::function<void(Batch&)> work) : work_(std::move(work)) {}
    // Stops the thread after the batch it is working on: what was handed over after it
    // is dropped.
    ~HandOff()
    {
        if (thread_.joinable()) {
            {
                const std::lock_guard lock(mutex_);
                done_ = true;
            }
            changed_.notify_all();
            thread_.join();
        }
    }
    HandOff(const HandOff&) = delete;
    HandOff& operator=(const HandOff&) = delete;

    bool started() const { return thread_.joinable(); }

    // Takes the batch, leaving `filled` empty (a batch the thread is done with, cleared,
    // so its buffers are reused).
    void handOver(Batch& filled)
    {
        if (!thread_.joinable()) {
            thread_ = std::thread(&HandOff::loop, this);
        }
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !hasReady_; });
        std::swap(ready_, filled);
        hasReady_ = true;
        lock.unlock();
        changed_.notify_all();
    }

    // Waits until every batch handed over is done, and ends the thread.
    void finish()
    {
        if (!thread_.joinable()) {
            return;
        }
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !hasReady_; });
            done_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

private:
    void loop()
    {
        Batch working;
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return hasReady_ || done_; });
                if (!hasReady_) {
                    return;
                }
                std::swap(working, ready_);
                hasReady_ = false;
            }
            changed_.notify_all();
            work_(working);
            working.clear();
        }
    }

    std::function<void(Batch&)> work_;
    Batch ready_;  // handed over, not yet taken
    bool hasReady_ = false;
    bool done_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
};

}  // namespace run
