// The section pictures as the sheet page shows them, each fitted to its share of the page
// and drawn, on two threads. By the time the page is made the run's other threads are
// mostly done; a program whose sections kept their whole budget while the moves came
// (long random strokes) spends most of its page fitting them, and two hundred sections
// are two hundred pictures to draw.
#pragma once

#include "sheet/ToolpathPicture.h"

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sheet {

class SectionDrawings {
public:
    // Draws a fitted picture (its index given) as the page shows it.
    using Draw = std::function<std::string(ToolpathPicture&, std::size_t)>;

    // Pictures 0 to `count` - 1 that are not empty are fitted to `budget`, drawn, and then
    // compacted (their cells back to rectangles). A second thread starts on them at once,
    // while the caller draws the whole program's picture.
    SectionDrawings(std::vector<ToolpathPicture>& pictures, std::size_t count, std::size_t budget, Draw draw);
    ~SectionDrawings();
    SectionDrawings(const SectionDrawings&) = delete;
    SectionDrawings& operator=(const SectionDrawings&) = delete;

    // The drawing of picture `i`, made by this thread or the other; "" for an empty
    // picture or one past the pictures. Take them in order.
    std::string take(std::size_t i);

private:
    // Each picture is drawn by exactly one thread, and what it draws is its own, so the
    // page is the same whichever thread drew what. Neither thread takes a picture more
    // than one ahead of the one taken last: two at most hold their rows of cells at once.
    static constexpr std::size_t kAhead = 1;

    void make(std::size_t i);
    void help();

    std::vector<ToolpathPicture>& pictures_;
    std::size_t count_;
    std::size_t budget_;
    Draw draw_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t next_ = 0;   // the first picture no thread has taken to draw
    std::size_t taken_ = 0;  // drawings taken
    std::vector<std::string> drawings_;
    std::vector<char> done_;  // drawn
    std::exception_ptr error_;  // what the helper's drawing threw, for the taking thread
    std::thread helper_;
};

}  // namespace sheet
