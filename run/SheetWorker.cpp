#include "run/SheetWorker.h"

#include <algorithm>

namespace run {

void SheetWorker::startPoint(double x, double y, double z)
{
    // Before any move: the drawing thread has not started yet.
    whole_.markStart(x, y, z);
}

void SheetWorker::block(const machine::MachineClock::Block& block, bool drawn, std::uint8_t colour)
{
    if ((draw_ && drawn) || clock_) {
        post({block, colour, drawn, Event::Block});
    }
}

void SheetWorker::toolChange()
{
    if (clock_) {
        post({{}, 0, false, Event::ToolChange});
    }
}

void SheetWorker::endSection(bool keep)
{
    if (busy()) {
        post({{}, 0, false, keep ? Event::KeepSection : Event::EndSection});
    }
}

void SheetWorker::post(const Event& event)
{
    if (filling_.empty()) {
        filling_.reserve(kBatch);
    }
    filling_.push_back(event);
    if (filling_.size() >= kBatch) {
        handOff_.handOver(filling_);
    }
}

void SheetWorker::finish()
{
    if (!handOff_.started()) {
        // Less than one batch in all: not worth a thread.
        applyAll(filling_);
        filling_.clear();
    } else {
        if (!filling_.empty()) {
            handOff_.handOver(filling_);
        }
        handOff_.finish();
    }
    if (clock_) {
        totalMinutes_ = clock_->totalMinutes();
    }
}

void SheetWorker::applyAll(const std::vector<Event>& batch)
{
    for (const Event& event : batch) {
        apply(event);
    }
}

void SheetWorker::apply(const Event& event)
{
    switch (event.kind) {
    case Event::Block:
        if (clock_) {
            clock_->line(event.block);
        }
        if (draw_ && event.drawn) {
            whole_.add(event.block.motion, event.colour);
            current_.add(event.block.motion, event.colour);
        }
        return;
    case Event::ToolChange:
        clock_->toolChange();
        return;
    case Event::KeepSection:
        if (clock_) {
            sectionMinutes_.push_back(clock_->foldSection());
        }
        if (draw_ && sections_.size() < kMaxSectionPictures) {
            sectionsSize_ += current_.estimatedSize();
            sections_.push_back(std::move(current_));
            keepSectionsWithinBudget();
        }
        break;
    case Event::EndSection:
        if (clock_) {
            clock_->foldSection();
        }
        break;
    }
    current_ = ToolpathPicture(kPictureBudget);
}

void SheetWorker::keepSectionsWithinBudget()
{
    // The largest picture gives up half its size until all fit.
    while (sectionsSize_ > kSectionPicturesBudget) {
        auto largest = std::max_element(sections_.begin(), sections_.end(),
                                        [](const ToolpathPicture& x, const ToolpathPicture& y) {
                                            return x.estimatedSize() < y.estimatedSize();
                                        });
        const std::size_t before = largest->estimatedSize();
        largest->fit(before / 2);
        sectionsSize_ = sectionsSize_ - before + largest->estimatedSize();
    }
}

}  // namespace run
