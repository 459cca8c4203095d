#include "sheet/SectionDrawings.h"

#include <algorithm>
#include <utility>

namespace sheet {

SectionDrawings::SectionDrawings(std::vector<ToolpathPicture>& pictures, std::size_t count, std::size_t budget,
                                 Draw draw)
    : pictures_(pictures),
      count_(std::min(count, pictures.size())),
      budget_(budget),
      draw_(std::move(draw)),
      drawings_(count_),
      done_(count_, 0)
{
    const auto drawn = std::count_if(pictures_.begin(), pictures_.begin() + static_cast<std::ptrdiff_t>(count_),
                                     [](const ToolpathPicture& p) { return !p.empty(); });
    if (drawn >= 1) {
        helper_ = std::thread(&SectionDrawings::help, this);
    }
}

SectionDrawings::~SectionDrawings()
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

void SectionDrawings::make(std::size_t i)
{
    ToolpathPicture& picture = pictures_[i];
    if (picture.empty()) {
        return;
    }
    picture.fit(budget_);
    drawings_[i] = draw_(picture, i);
    // Drawn: its cells go back to rectangles, so that two hundred of them never hold
    // their rows of bits at once.
    picture.compact();
}

void SectionDrawings::help()
{
    for (;;) {
        std::size_t i = 0;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return next_ >= count_ || next_ <= taken_ + kAhead; });
            if (next_ >= count_ || error_) {
                return;
            }
            i = next_++;
        }
        try {
            make(i);
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

std::string SectionDrawings::take(std::size_t i)
{
    if (i >= count_) {
        return {};
    }
    // While picture i is not drawn, this thread draws what it may take (picture i itself,
    // or the next while the helper has i) rather than wait.
    std::unique_lock lock(mutex_);
    for (;;) {
        if (error_) {
            std::rethrow_exception(error_);
        }
        if (done_[i] != 0) {
            taken_ = i + 1;
            std::string drawing = std::move(drawings_[i]);
            lock.unlock();
            changed_.notify_all();  // the helper may take the next
            return drawing;
        }
        if (next_ < count_ && next_ <= taken_ + kAhead) {
            const std::size_t k = next_++;
            lock.unlock();
            make(k);
            lock.lock();
            done_[k] = 1;
            continue;
        }
        changed_.wait(lock);
    }
}

}  // namespace sheet
