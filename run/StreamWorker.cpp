#include "run/StreamWorker.h"

namespace run {

void StreamWorker::finish()
{
    if (!handOff_.started()) {
        consume(filling_);
        filling_.clear();
        return;
    }
    if (!filling_.empty()) {
        handOff_.handOver(filling_);
    }
    handOff_.finish();
}

void StreamWorker::consume(const std::vector<nc::Motion>& batch)
{
    for (const nc::Motion& motion : batch) {
        for (nc::MotionSink* sink : sinks_) {
            sink->motion(motion);
        }
    }
}

}  // namespace run
