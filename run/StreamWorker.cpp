#include "run/StreamWorker.h"

#include "util/Memory.h"

#include <new>

namespace run {

StreamWorker::Lane::Lane() : handOff([this](Shared& batch) { consume(*batch.motions, sinks); }) {}

void StreamWorker::addSink(nc::MotionSink& sink, std::size_t lane)
{
    while (lanes_.size() <= lane) {
        lanes_.push_back(std::make_unique<Lane>());
    }
    lanes_[lane]->sinks.push_back(&sink);
}

std::unique_ptr<StreamWorker::Motions> StreamWorker::spareBatch()
{
    {
        const std::lock_guard lock(spareMutex_);
        if (!spare_.empty()) {
            std::unique_ptr<Motions> batch = std::move(spare_.back());
            spare_.pop_back();
            return batch;
        }
    }
    auto batch = std::make_unique<Motions>();
    batch->reserve(kBatch);
    return batch;
}

void StreamWorker::handOver()
{
    // The last lane to let go of the batch (on its own thread) gives the buffer back.
    const std::shared_ptr<Motions> shared(filling_.release(), [this](Motions* done) {
        std::unique_ptr<Motions> batch(done);
        batch->clear();
        const std::lock_guard lock(spareMutex_);
        try {
            spare_.push_back(std::move(batch));
        } catch (const std::bad_alloc&) {
            // Only a buffer to reuse: the next batch makes its own.
        }
    });
    for (const std::unique_ptr<Lane>& lane : lanes_) {
        lane->handing.motions = shared;
        lane->handOff.handOver(lane->handing);
    }
}

void StreamWorker::finish()
{
    if (lanes_.empty() || !lanes_.front()->handOff.started()) {
        if (filling_) {
            for (const std::unique_ptr<Lane>& lane : lanes_) {
                consume(*filling_, lane->sinks);
            }
            filling_->clear();
        }
        return;
    }
    if (filling_ && !filling_->empty()) {
        handOver();
    }
    for (const std::unique_ptr<Lane>& lane : lanes_) {
        lane->handOff.finish();
    }
    // What the lanes' threads freed stays with them; the sheet page comes next.
    util::returnFreeMemory();
}

void StreamWorker::consume(const Motions& batch, const std::vector<nc::MotionSink*>& sinks)
{
    for (const nc::Motion& motion : batch) {
        for (nc::MotionSink* sink : sinks) {
            sink->motion(motion);
        }
    }
}

}  // namespace run
