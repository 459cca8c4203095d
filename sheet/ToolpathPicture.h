// Toolpath pictures of the setup sheet: a top view (XY), a front view (XZ) and a right
// side view (YZ) of the motion stream, within a byte budget; when a picture outgrows it, it is coarsened and
// goes on.
#pragma once

#include "nc/Motion.h"
#include "sheet/PictureMath.h"
#include "sheet/ViewPicture.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sheet {

// The three views of a set of moves (top XY, front XZ, right side YZ, as drawn in third
// angle projection), within a byte budget.
class ToolpathPicture {
public:
    explicit ToolpathPicture(std::size_t budget) : budget_(budget) {}

    // Draws a move, or marks a hole; what holds no drawable number is skipped.
    void add(const nc::Motion& motion, std::uint8_t colour);
    void markStart(double x, double y, double z);
    // Gives up detail until the picture fits the budget, or until every view is as coarse
    // as it goes.
    void fit(std::size_t budget);
    // Gives back what only taking more moves needs (a section that has ended).
    void compact()
    {
        for (ViewPicture& view : views_) {
            view.compact();
        }
    }

    std::size_t estimatedSize() const
    {
        return views_[0].estimatedSize() + views_[1].estimatedSize() + views_[2].estimatedSize();
    }
    bool empty() const { return views_[0].box().empty && views_[1].box().empty && views_[2].box().empty; }
    ViewPicture& top() { return views_[0]; }
    ViewPicture& front() { return views_[1]; }
    ViewPicture& side() { return views_[2]; }
    const double* start() const { return hasStart_ ? start_ : nullptr; }
    // The height the moves began at, when they came down from it by rapids alone: those
    // rapids do not frame the picture (a section's way down from the start point).
    const double* entryZ() const { return entry_ == Entry::Descended ? &entryZ_ : nullptr; }
    // A tool that shares its colour with another: its number is written where it first cuts.
    struct ToolMark {
        int tool = 0;
        std::uint8_t colour = 0;
        double x = 0.0;
        double y = 0.0;
    };
    void markTool(int tool, std::uint8_t colour, double x, double y)
    {
        if (usable(x) && usable(y)) {
            marks_.push_back({tool, colour, x, y});
        }
    }
    const std::vector<ToolMark>& toolMarks() const { return marks_; }
    // The picture as it would be had it not been told the start point nor marked tools:
    // the same views (see SheetPictures' first section).
    ToolpathPicture withoutMarks() const
    {
        ToolpathPicture copy = *this;
        copy.hasStart_ = false;
        copy.start_[0] = copy.start_[1] = copy.start_[2] = 0.0;
        copy.marks_.clear();
        return copy;
    }
    // The units of what it shows: "mm", "inch", or "mm / inch" when the program switches.
    const char* units() const { return units_ == 2 ? "inch" : units_ == 3 ? "mm / inch" : "mm"; }
    // The start point's: those of the first move, which the start point is read in.
    const char* startUnits() const { return startInch_ ? "inch" : "mm"; }

private:
    void addLine(StrokeStyle style, const double* a, const double* b, bool frames = true);
    // Whether the move is part of the way in at the height the moves began at.
    bool approaches(const nc::Motion& m);
    void shrinkTo(std::size_t target, bool mayGiveUpPixel);
    // An arc in the views whose plane is not its own: drawn through points on it.
    void addThroughPoints(StrokeStyle style, const nc::Motion& m, int planeView);

    std::size_t budget_;
    std::size_t shrinkAt_ = budget_;  // the size that makes the next shrink
    ViewPicture views_[3];  // top (X, Y), front (X, Z), side (Y, Z)
    bool hasStart_ = false;
    int units_ = 0;  // 1: mm moves, 2: inch moves, 3: both
    bool startInch_ = false;
    std::vector<ToolMark> marks_;
    enum class Entry { None, Approaching, Descended, Framed } entry_ = Entry::None;
    double entryZ_ = 0.0;
    double start_[3] = {0.0, 0.0, 0.0};
};

// The colours of the tools, in the order they first appear.
const char* toolColour(std::uint8_t index);

}  // namespace sheet
