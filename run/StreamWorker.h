// Hands the motion stream to consumers on a thread of their own (the pictures and the
// machine clock), so the line loop only copies each motion once. Motions go across in
// batches, in order, so the consumers see exactly what they would on the run's thread.
#pragma once

#include "nc/Motion.h"
#include "util/HandOff.h"

#include <vector>

namespace run {

class StreamWorker : public nc::MotionSink {
public:
    StreamWorker() = default;
    StreamWorker(const StreamWorker&) = delete;
    StreamWorker& operator=(const StreamWorker&) = delete;

    // Before the first motion. The sinks are used on the worker's thread until finish()
    // returns, and must not be touched by anyone else until then.
    void addSink(nc::MotionSink& sink) { sinks_.push_back(&sink); }
    bool hasSinks() const { return !sinks_.empty(); }

    void motion(const nc::Motion& motion) override
    {
        // What the writing says is for the consumers on the run's thread; what the worker
        // keeps must not point into the run's buffers.
        switch (motion.kind) {
        case nc::MotionKind::Block:
        case nc::MotionKind::Comment:
        case nc::MotionKind::WorkOffset:
        case nc::MotionKind::ProgramNumber:
            return;
        default:
            break;
        }
        if (filling_.empty()) {
            filling_.reserve(kBatch);
        }
        filling_.push_back(motion);
        filling_.back().text = {};
        filling_.back().block = nullptr;
        filling_.back().figures = nullptr;
        if (filling_.size() >= kBatch) {
            handOff_.handOver(filling_);
        }
    }

    // Waits until every motion is consumed. A program of less than one batch is consumed
    // here, on the caller's thread: not worth a thread.
    void finish();

private:
    static constexpr std::size_t kBatch = 1024;

    void consume(const std::vector<nc::Motion>& batch);

    std::vector<nc::MotionSink*> sinks_;
    // The run's thread fills it at every motion: on a cache line of its own, so the
    // worker reading its sinks does not share one with it.
    alignas(64) std::vector<nc::Motion> filling_;
    // Last, so its thread is stopped before anything it reaches is destroyed.
    alignas(64) util::HandOff<std::vector<nc::Motion>> handOff_{[this](std::vector<nc::Motion>& batch) { consume(batch); }};
};

}  // namespace run
