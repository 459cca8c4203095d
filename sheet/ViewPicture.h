// One view of a toolpath (top or front), kept small while the program streams past:
// points that add nothing at the picture's scale are dropped as they come.
#pragma once

#include "sheet/PathSimplifier.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sheet {

// How a stroke is drawn: the tool's colour, and whether it is a rapid move.
struct StrokeStyle {
    std::uint8_t colour = 0;
    bool rapid = false;
    bool operator==(const StrokeStyle&) const = default;
};

// One view of the path, in the view's own two coordinates (x to the right, y up).
class ViewPicture {
public:
    struct Vertex {
        PathSimplifier::Point p;
        double arcRadius = 0.0;  // 0: a straight segment to p; else an arc of at most a quarter turn
        bool angleIncreasing = false;
    };
    struct Stroke {
        StrokeStyle style;
        std::vector<Vertex> vertices;
    };
    struct Hole {
        double x = 0.0;
        double y = 0.0;
        double y2 = 0.0;  // the front view draws a hole as a line from y to y2
        std::uint8_t colour = 0;
    };
    struct Box {
        double minX = 0.0, maxX = 0.0, minY = 0.0, maxY = 0.0;
        bool empty = true;
        // True when the box grew.
        bool add(double x, double y);
        void add(const Box& other);
    };

    void lineTo(StrokeStyle style, PathSimplifier::Point from, PathSimplifier::Point to);
    // An arc on this view's plane from `from` to `to` around `centre`.
    void arcTo(StrokeStyle style, PathSimplifier::Point from, PathSimplifier::Point to, PathSimplifier::Point centre,
               double radius, double sweep, bool angleIncreasing);
    void hole(std::uint8_t colour, double x, double y, double y2);
    // Widens the box of everything without drawing (the start point).
    void include(double x, double y)
    {
        all_.add(x, y);
        updateTolerance();
    }

    // Keeps what is pending; call before reading the strokes.
    void finish();
    // Doubles the tolerance and simplifies what it holds again.
    void coarsen();
    // Drops every other stroke and hole: for more separate strokes than any detail fits.
    void thin();

    const std::vector<Stroke>& strokes() const { return strokes_; }
    const std::vector<Hole>& holes() const { return holes_; }
    // What the view shows: where the tool cuts (feed moves and holes), so that the long
    // rapid from a start point far above does not shrink the part; everything when
    // nothing was cut.
    const Box& box() const { return work_.empty ? all_ : work_; }
    // Where the moves went, rapids and retracts included, but not where the first move came
    // from (the start point, the end of the section before).
    const Box& travelBox() const { return reached_.empty ? all_ : reached_; }
    double tolerance() const { return simplifier_.tolerance(); }
    // About the bytes its SVG takes.
    std::size_t estimatedSize() const { return size_; }

private:
    void beginStroke(StrokeStyle style, PathSimplifier::Point from);
    void continueStroke(StrokeStyle style, PathSimplifier::Point from);
    void keepPoints(std::size_t from);
    void updateTolerance();
    void recount();
    void flushLevel();

    std::vector<Stroke> strokes_;
    std::vector<Hole> holes_;
    std::vector<PathSimplifier::Point> scratch_;
    PathSimplifier simplifier_{0.0};
    bool open_ = false;  // the last stroke takes more points
    PathSimplifier::Point lastPoint_;  // where the last stroke ends, pending point included
    bool hasLastPoint_ = false;
    // Moves back and forth along one level line (the front and side views of moves at one
    // depth) wait here as the stretch they cover: the simplifier would keep every turn.
    struct Level {
        bool active = false;
        PathSimplifier::Point start;  // where the stroke stood when the moves began: its y is the level
        double minX = 0.0;
        double maxX = 0.0;
    } level_;
    bool lastPointInWork_ = false;     // lastPoint_ is in work_ (it ended a feed move)
    double minimumTolerance_ = 0.0;  // raised by coarsening
    Box all_;   // every move
    Box reached_;  // the ends of the moves
    Box work_;  // feed moves and holes
    std::size_t size_ = 0;
};

}  // namespace sheet
