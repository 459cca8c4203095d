#include "sheet/SectionFits.h"

#include <algorithm>

namespace sheet {

SectionFits::SectionFits(std::vector<ToolpathPicture>& pictures, std::size_t count, std::size_t budget)
    : pictures_(pictures), count_(std::min(count, pictures.size())), budget_(budget), done_(count_, 0)
{
    std::size_t over = 0;
    for (std::size_t i = 0; i < count_; ++i) {
        over += pictures_[i].estimatedSize() > budget_ ? 1 : 0;
    }
    if (over >= 2) {
        helper_ = std::thread(&SectionFits::help, this);
    }
}

SectionFits::~SectionFits()
{
    if (helper_.joinable()) {
        {
            const std::lock_guard lock(mutex_);
            next_ = count_;  // nothing more to take
        }
        changed_.notify_all();
        helper_.join();
    }
}

void SectionFits::fit(std::size_t i)
{
    if (!pictures_[i].empty()) {
        pictures_[i].fit(budget_);
    }
}

void SectionFits::help()
{
    for (;;) {
        std::size_t i = 0;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return next_ >= count_ || next_ <= drawn_ + kAhead; });
            if (next_ >= count_ || error_) {
                return;
            }
            i = next_++;
        }
        try {
            fit(i);
        } catch (...) {
            const std::lock_guard lock(mutex_);
            error_ = std::current_exception();
        }
        {
            const std::lock_guard lock(mutex_);
            done_[i] = 1;
        }
        changed_.notify_all();
    }
}

void SectionFits::fitted(std::size_t i)
{
    if (i >= count_) {
        return;
    }
    // While picture i is not fitted, this thread fits what it may take (picture i itself,
    // or the next while the helper has i) rather than wait.
    std::unique_lock lock(mutex_);
    for (;;) {
        if (error_) {
            std::rethrow_exception(error_);
        }
        if (done_[i] != 0) {
            return;
        }
        if (next_ < count_ && next_ <= drawn_ + kAhead) {
            const std::size_t k = next_++;
            lock.unlock();
            changed_.notify_all();
            fit(k);
            lock.lock();
            done_[k] = 1;
            continue;
        }
        changed_.wait(lock);
    }
}

void SectionFits::drawn(std::size_t i)
{
    {
        const std::lock_guard lock(mutex_);
        drawn_ = i + 1;
    }
    changed_.notify_all();
}

}  // namespace sheet
