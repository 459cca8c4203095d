#include "run/PictureBuilder.h"

#include <algorithm>

namespace run {

PictureBuilder::~PictureBuilder()
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

void PictureBuilder::startPoint(double x, double y, double z)
{
    // Before any move: the drawing thread has not started yet.
    whole_.markStart(x, y, z);
}

void PictureBuilder::draw(const nc::BlockMotion& motion, std::uint8_t colour)
{
    post({motion, colour, Event::Draw});
}

void PictureBuilder::endSection(bool keep)
{
    post({{}, 0, keep ? Event::KeepSection : Event::EndSection});
}

void PictureBuilder::post(const Event& event)
{
    if (filling_.empty()) {
        filling_.reserve(kBatch);
    }
    filling_.push_back(event);
    if (filling_.size() >= kBatch) {
        handOver();
    }
}

void PictureBuilder::handOver()
{
    if (!thread_.joinable()) {
        thread_ = std::thread(&PictureBuilder::work, this);
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !hasReady_; });
    ready_.swap(filling_);
    hasReady_ = true;
    lock.unlock();
    changed_.notify_all();
    filling_.clear();
}

void PictureBuilder::work()
{
    std::vector<Event> working;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return hasReady_ || done_; });
            if (!hasReady_) {
                return;
            }
            working.swap(ready_);
            hasReady_ = false;
        }
        changed_.notify_all();
        for (const Event& event : working) {
            apply(event);
        }
        working.clear();
    }
}

void PictureBuilder::finish()
{
    if (!filling_.empty()) {
        handOver();
    }
    if (thread_.joinable()) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !hasReady_; });
            done_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
}

void PictureBuilder::apply(const Event& event)
{
    switch (event.kind) {
    case Event::Draw:
        whole_.add(event.motion, event.colour);
        current_.add(event.motion, event.colour);
        return;
    case Event::KeepSection:
        if (sections_.size() < kMaxSectionPictures) {
            sectionsSize_ += current_.estimatedSize();
            sections_.push_back(std::move(current_));
            keepSectionsWithinBudget();
        }
        break;
    case Event::EndSection:
        break;
    }
    current_ = ToolpathPicture(kPictureBudget);
}

void PictureBuilder::keepSectionsWithinBudget()
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
