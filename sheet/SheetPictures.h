// The setup sheet's toolpath pictures, drawn from the motion stream: one of the whole
// program with a colour per tool, and one per tool section the sheet shows, together
// kept within a byte budget.
#pragma once

#include "nc/Motion.h"
#include "record/ProgramRecord.h"
#include "sheet/ToolpathPicture.h"
#include "util/HandOff.h"

#include <condition_variable>
#include <cstdint>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace sheet {

// The tools' colours, in the order the tools are first drawn: tools share the colours in
// turn past their count.
class ToolColours {
public:
    std::uint8_t of(int tool)
    {
        if (tool == lastTool_ && !colours_.empty()) {
            return lastColour_;
        }
        return lookUp(tool);
    }
    // The tools in the order they were first drawn.
    const std::vector<int>& order() const { return order_; }
    std::uint8_t at(int tool) const { return colours_.at(tool); }

private:
    std::uint8_t lookUp(int tool);

    std::map<int, std::uint8_t> colours_;  // tool: colour
    int lastTool_ = 0;                     // the tool asked for last, and its colour
    std::uint8_t lastColour_ = 0;
    std::vector<int> order_;
};

// Whether the first section's picture is the whole program's up to the section's end.
// It is when the first move drawn is a line from the start point: the start point the
// whole program's views were told then changes nothing their first move does not. Both
// pictures watch the motions alike, and come to the same answer.
class FirstSectionWatch {
public:
    enum class State { Undecided, Follows, Own };
    // Before the motion is drawn; the state after it.
    State see(const nc::Motion& m);

private:
    State state_ = State::Undecided;
    bool started_ = false;
    nc::Point3 start_{};
};

// The first section's picture as the whole program's lane draws it, for the sections'
// lane, which waits for it at the section's end rather than drawing it again: a program
// of one tool is drawn once. Where both halves take the motions on one thread (a short
// program), the whole program's has given it before the sections' takes it.
class FirstSection {
public:
    void give(ToolpathPicture picture);
    // Waits for it; false when it will not come (the whole program's lane failed, or the
    // run is being torn down).
    bool take(ToolpathPicture& picture);
    void abandon();

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::optional<ToolpathPicture> picture_;
    bool abandoned_ = false;
};

// The whole program's picture, a colour per tool.
class WholeProgramPicture : public nc::MotionSink {
public:
    static constexpr std::size_t kBudget = 240 * 1024;

    explicit WholeProgramPicture(FirstSection& first) : first_(first) {}

    void motion(const nc::Motion& motion) override;

    ToolpathPicture& picture() { return picture_; }
    const ToolColours& colours() const { return colours_; }

private:
    void draw(const nc::Motion& m);

    ToolpathPicture picture_{kBudget};
    ToolColours colours_;
    std::set<int> unmarked_;  // tools past the colours' count whose number waits for their first cut
    FirstSection& first_;
    FirstSectionWatch watch_;
    bool firstEnded_ = false;
};

// A picture of each tool section the sheet shows, together kept within a byte budget.
class SectionPictures : public nc::MotionSink {
public:
    static constexpr std::size_t kBudget = 2560 * 1024;
    // The sheet shows this many sections at most; later ones get no picture.
    static constexpr std::size_t kMaxPictures = 200;

    // Where pictures past the budget are kept within it: on a thread of their own while
    // the next section is drawn, or where the motions come (the same pictures, slower).
    enum class Keeper { OwnThread, Inline };
    SectionPictures(Keeper keeper, FirstSection& first) : first_(first), keeperThread_(keeper == Keeper::OwnThread) {}

    void motion(const nc::Motion& motion) override;

    // One for each section kept, in order, up to kMaxPictures. Waits until every picture
    // handed to the keeper is kept: call it after the motions' thread is done.
    std::vector<ToolpathPicture>& pictures()
    {
        keeper_.finish();
        return sections_;
    }

private:
    // On the keeper's thread once it runs.
    void keep(ToolpathPicture& picture);
    void keepWithinBudget();

    // While its moves come a section's picture keeps within what the whole program's does.
    ToolpathPicture current_{WholeProgramPicture::kBudget};
    // The colours are the whole picture's: worked out again here, from the same motions,
    // so that the sections' half needs nothing of the whole program's but the first
    // section's picture.
    ToolColours colours_;
    FirstSection& first_;
    FirstSectionWatch watch_;
    bool firstEnded_ = false;
    bool keeperThread_ = true;
    std::size_t handed_ = 0;                // pictures kept or handed to the keeper
    std::vector<ToolpathPicture> handing_;  // the one being handed over
    // Only the keeper's thread touches these once it runs.
    std::vector<ToolpathPicture> sections_;
    std::size_t sectionsSize_ = 0;  // their estimated sizes together
    // When a section ends and the pictures no longer fit their budget, its picture goes to
    // a thread of its own that keeps them within it, in the order they came, while the
    // next one is drawn. One picture waits at most: each holds up to a budget of strokes.
    // Last: its thread stops before what it reaches goes.
    util::HandOff<std::vector<ToolpathPicture>> keeper_{[this](std::vector<ToolpathPicture>& batch) {
                                                            for (ToolpathPicture& picture : batch) {
                                                                keep(picture);
                                                            }
                                                        },
                                                        1};
};

// The setup sheet's toolpath pictures: the whole program's and the sections'. Either half
// can take the motions on a thread of its own (each sees every motion), or this takes
// them for both. The sections' half waits at the end of the first section for the whole
// program's half to reach it: the whole program's takes the motions before the sections'
// or alongside, never after.
class SheetPictures : public nc::MotionSink {
public:
    // The whole program's picture and all section pictures together stay within these.
    static constexpr std::size_t kPictureBudget = WholeProgramPicture::kBudget;
    static constexpr std::size_t kSectionPicturesBudget = SectionPictures::kBudget;
    static constexpr std::size_t kMaxSectionPictures = SectionPictures::kMaxPictures;
    using Keeper = SectionPictures::Keeper;

    // How wide the page draws the whole program's picture.
    static constexpr int kWholeWidth = 760;

    explicit SheetPictures(Keeper keeper = Keeper::OwnThread) : whole_(first_), sections_(keeper, first_) {}
    SheetPictures(const SheetPictures&) = delete;
    SheetPictures& operator=(const SheetPictures&) = delete;

    void motion(const nc::Motion& motion) override
    {
        whole_.motion(motion);
        sections_.motion(motion);
    }
    nc::MotionSink& wholeHalf() { return whole_; }
    nc::MotionSink& sectionsHalf() { return sections_; }
    // Before the halves' threads are stopped without their motions taken to the end: the
    // sections' half no longer waits for the whole program's.
    void abandon() { first_.abandon(); }

    ToolpathPicture& wholePicture() { return whole_.picture(); }
    // Fits the whole program's picture to its budget and draws it on a thread of its own,
    // while the run closes its report and the page draws the sections. Call when the
    // motions' threads are done; the picture is not touched again but by wholeDrawing().
    void drawWholeAhead();
    // The whole program's picture fitted and drawn, "" when it shows nothing: the drawing
    // made ahead, or made here.
    std::string wholeDrawing();
    // See SectionPictures::pictures().
    std::vector<ToolpathPicture>& sectionPictures() { return sections_.pictures(); }
    // One entry per tool, in the order they are first drawn: the tool and the description
    // of its first section, HTML-escaped, and its colour.
    struct LegendEntry {
        std::string label;
        std::uint8_t colour = 0;
    };
    std::vector<LegendEntry> legend(const record::ProgramRecord& record) const;

private:
    // Below this a whole program's picture is drawn at once: not worth a thread.
    static constexpr std::size_t kDrawAheadBytes = 16 * 1024;
    std::string drawWhole();

    FirstSection first_;
    WholeProgramPicture whole_;
    SectionPictures sections_;
    // Last: its drawing is waited for before the picture it draws goes.
    std::future<std::string> wholeAhead_;
};

}  // namespace sheet
