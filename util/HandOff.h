// Work handed from the run's thread to one of its own, batch by batch and in order:
// the run fills a batch while the thread works on those before. A few batches (4, or as
// many as the owner says) wait beside the one the thread works on and the one being
// filled, so neither side stalls whenever the other is briefly off its core (two cores
// serve the run, its writer, its stream worker and the section pictures' keeper). The
// thread starts with the first batch handed over.
//
// Rules for the owner:
// - An exception that leaves `work` (memory running out) is not the thread's end: the
//   thread drops every batch after it, and the owner's next handOver() or finish()
//   throws it, once, on the owner's thread. Failures the owner expects are better noted
//   for it to see (the report writer keeps a flag and throws from there). The destructor
//   never throws: an owner that must not throw (its own destructor) catches what
//   handOver() and finish() may throw.
// - The hand-off is the owner's last member. Members are destroyed in reverse order, so
//   the hand-off's destructor stops and joins the thread before anything `work` reaches
//   (buffers, consumers) is destroyed.
// - finish() waits for every batch handed over. A second finish(), or finish() when no
//   batch was ever handed over, returns at once; after it the owner reads what the
//   thread made. Handing over again after finish() starts a new thread.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <new>
#include <thread>
#include <utility>
#include <vector>

namespace util {

template <class Batch>
class HandOff {
public:
    // `work` runs on the thread, once per batch. Batch has clear(). `waiting`: how many
    // batches may wait at most (large batches want few).
    explicit HandOff(std::function<void(Batch&)> work, std::size_t waiting = kWaiting)
        : work_(std::move(work)), waiting_(waiting)
    {
    }
    // Without finish(): stops the thread after the batch it is working on, and the
    // batches still waiting are dropped (a run that ends early keeps what was done).
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
        rethrowFailure();
        if (!thread_.joinable()) {
            done_ = false;  // no thread runs: nothing else reads them
            failed_ = false;
            thread_ = std::thread(&HandOff::loop, this);
        }
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return ready_.size() < waiting_; });
        ready_.push_back(std::move(filled));
        if (spare_.empty()) {
            filled = Batch();
        } else {
            filled = std::move(spare_.back());
            spare_.pop_back();
        }
        lock.unlock();
        changed_.notify_all();
    }

    // Waits until every batch handed over is done, and ends the thread. Call it only from
    // the thread that hands over, or from one that thread has finished before (joined).
    void finish()
    {
        if (!thread_.joinable()) {
            return;
        }
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return ready_.empty() && !working_; });
            done_ = true;
        }
        changed_.notify_all();
        thread_.join();
        rethrowFailure();
    }

private:
    void rethrowFailure()
    {
        std::exception_ptr failure;
        {
            const std::lock_guard lock(mutex_);
            failure = std::exchange(failure_, nullptr);
        }
        if (failure) {
            std::rethrow_exception(failure);
        }
    }

    void loop()
    {
        Batch working;
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return !ready_.empty() || done_; });
                if (done_) {
                    return;
                }
                working = std::move(ready_.front());
                ready_.pop_front();
                working_ = true;
            }
            changed_.notify_all();  // room for another batch
            if (!failed_) {
                try {
                    work_(working);
                } catch (...) {
                    // What the work reaches may be half changed: nothing more goes to it.
                    const std::lock_guard lock(mutex_);
                    failure_ = std::current_exception();
                    failed_ = true;
                }
            }
            working.clear();
            {
                const std::lock_guard lock(mutex_);
                try {
                    spare_.push_back(std::move(working));
                } catch (const std::bad_alloc&) {
                    // Only a buffer to reuse: the next batch makes its own.
                }
                working_ = false;
            }
            changed_.notify_all();
        }
    }

    static constexpr std::size_t kWaiting = 4;  // batches handed over and not yet taken, at most

    std::function<void(Batch&)> work_;
    std::size_t waiting_;
    std::deque<Batch> ready_;  // handed over, not yet taken
    std::vector<Batch> spare_; // done with, cleared, to be filled again
    bool working_ = false;     // the thread holds a batch
    bool done_ = false;
    bool failed_ = false;           // the thread's only: work threw, later batches are dropped
    std::exception_ptr failure_;    // what work threw, until the owner is told
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
};

}  // namespace util
