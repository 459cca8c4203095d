// Hands the motion stream to consumers on threads of their own (the pictures and the
// machine clock), so the line loop only copies each motion once. Motions go across in
// batches, in order, so the consumers see exactly what they would on the run's thread.
#pragma once

#include "nc/Motion.h"
#include "util/HandOff.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace run {

class StreamWorker : public nc::MotionSink {
public:
    StreamWorker() = default;
    StreamWorker(const StreamWorker&) = delete;
    StreamWorker& operator=(const StreamWorker&) = delete;

    // Before the first motion. The sinks of one lane take the motions in order on a thread
    // of the lane's own; every lane sees every motion, side by side with the others, so
    // sinks of different lanes must share nothing they change. The sinks are used on
    // their lane's thread until finish() returns, and must not be touched by anyone else
    // until then.
    void addSink(nc::MotionSink& sink, std::size_t lane = 0);
    bool hasSinks() const { return !lanes_.empty(); }

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
        if (!filling_) {
            filling_ = spareBatch();
        }
        filling_->push_back(motion);
        filling_->back().text = {};
        filling_->back().block = nullptr;
        filling_->back().figures = nullptr;
        if (filling_->size() >= kBatch) {
            handOver();
        }
    }

    // Waits until every motion is consumed. A program of less than one batch is consumed
    // here, on the caller's thread: not worth a thread.
    void finish();

private:
    // Each batch wakes every lane: at a quarter of this the handing over took a fifth of
    // a long program's time. A batch is about a quarter megabyte.
    static constexpr std::size_t kBatch = 1024;
    using Motions = std::vector<nc::Motion>;

    // A batch as the lanes hold it: each lane reads it, and the last one done gives its
    // buffer back for the run to fill again.
    struct Shared {
        std::shared_ptr<Motions> motions;
        void clear() { motions.reset(); }
    };
    struct Lane {
        Lane();
        std::vector<nc::MotionSink*> sinks;
        Shared handing;
        // Last, so its thread is stopped before anything it reaches is destroyed.
        util::HandOff<Shared> handOff;
    };

    void handOver();
    std::unique_ptr<Motions> spareBatch();
    static void consume(const Motions& batch, const std::vector<nc::MotionSink*>& sinks);

    // The run's thread fills it at every motion: on a cache line of its own, so the
    // workers reading their sinks do not share one with it.
    alignas(64) std::unique_ptr<Motions> filling_;
    // Buffers the lanes are done with. Before the lanes: what the lanes still hold comes
    // back here as they stop.
    std::mutex spareMutex_;
    std::vector<std::unique_ptr<Motions>> spare_;
    std::vector<std::unique_ptr<Lane>> lanes_;
};

}  // namespace run
