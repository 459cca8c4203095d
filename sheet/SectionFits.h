// The section pictures' last fits before the sheet draws them, shared with a second
// thread. Most sheets have nothing left to fit there; a program whose sections kept their
// whole budget while the moves came (long random strokes) spends most of its page in
// them, with a core idle beside it.
#pragma once

#include "sheet/ToolpathPicture.h"

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace sheet {

class SectionFits {
public:
    // Pictures 0 to `count` - 1 are to be fitted to `budget` (an empty one is not) and
    // then drawn in order. A second thread helps only when two of them or more are above
    // the budget.
    SectionFits(std::vector<ToolpathPicture>& pictures, std::size_t count, std::size_t budget);
    ~SectionFits();
    SectionFits(const SectionFits&) = delete;
    SectionFits& operator=(const SectionFits&) = delete;

    // Returns when picture `i` is fitted, by this thread or the other. Call it for each
    // picture in order, then drawn(i) once the picture is drawn and compacted.
    void fitted(std::size_t i);
    void drawn(std::size_t i);

private:
    // Each picture is fitted by exactly one thread, and drawn only after that, so the page
    // is the same whichever thread fitted it. Neither thread takes a picture more than one
    // ahead of the one being drawn: two at most hold their rows of cells at once.
    static constexpr std::size_t kAhead = 1;

    void fit(std::size_t i);
    void help();

    std::vector<ToolpathPicture>& pictures_;
    std::size_t count_;
    std::size_t budget_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t next_ = 0;    // the first picture no thread has taken
    std::size_t drawn_ = 0;   // pictures drawn
    std::vector<char> done_;  // fitted
    std::exception_ptr error_;  // what the helper's fit threw, for the drawing thread
    std::thread helper_;
};

}  // namespace sheet
