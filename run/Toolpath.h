// Toolpath pictures of the setup sheet: a top view (XY) and a front view (XZ) of the moves
// the interpreter measured, kept small while the program streams past. Points that add
// nothing at the picture's scale are dropped as they come; when a picture outgrows its
// budget it is coarsened and goes on.
#pragma once

#include "nc/Motion.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace run {

// Streaming polyline simplification with an error bound: every point fed in lies within
// `tolerance` of the kept polyline. A kept vertex anchors a cone of directions that keeps
// all points dropped since within the tolerance; the next point outside the cone (or
// nearer to the anchor than one dropped) keeps the point before it.
class PathSimplifier {
public:
    struct Point {
        double x = 0.0;
        double y = 0.0;
        bool operator==(const Point&) const = default;
    };

    explicit PathSimplifier(double tolerance) : tolerance_(tolerance) {}

    void setTolerance(double tolerance) { tolerance_ = tolerance; }
    double tolerance() const { return tolerance_; }

    // Starts a polyline at p; what was pending is kept first.
    void start(Point p, std::vector<Point>& out);
    void add(Point p, std::vector<Point>& out);
    // Keeps the pending point, so `out` ends where the input did.
    void finish(std::vector<Point>& out);

private:
    double tolerance_;
    bool hasPending_ = false;
    Point pending_;
    bool hasCone_ = false;
    Point right_;  // the cone's bounds as unit vectors: clockwise and counter-clockwise
    Point left_;
    double reach_ = 0.0;  // farthest distance from the anchor among points dropped or pending
    Point anchor_;
};

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
        double arcRadius = 0.0;  // 0: a straight segment to p; else an arc of this radius
        bool largeArc = false;
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
        void add(double x, double y);
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
    double tolerance() const { return simplifier_.tolerance(); }
    // About the bytes its SVG takes.
    std::size_t estimatedSize() const { return size_; }

private:
    void beginStroke(StrokeStyle style, PathSimplifier::Point from);
    void continueStroke(StrokeStyle style, PathSimplifier::Point from);
    void keepPoints(std::size_t from);
    void updateTolerance();
    void recount();

    std::vector<Stroke> strokes_;
    std::vector<Hole> holes_;
    std::vector<PathSimplifier::Point> scratch_;
    PathSimplifier simplifier_{0.0};
    bool open_ = false;  // the last stroke takes more points
    PathSimplifier::Point lastPoint_;  // where the last stroke ends, pending point included
    double minimumTolerance_ = 0.0;  // raised by coarsening
    Box all_;   // every move
    Box work_;  // feed moves and holes
    std::size_t size_ = 0;
};

// The top and the front view of a set of moves, within a byte budget.
class ToolpathPicture {
public:
    explicit ToolpathPicture(std::size_t budget) : budget_(budget) {}

    // Draws a move, or marks a hole; what holds no drawable number is skipped.
    void add(const nc::Motion& motion, std::uint8_t colour);
    void markStart(double x, double y, double z);
    // Coarsens until the picture fits the budget.
    void fit(std::size_t budget);

    std::size_t estimatedSize() const { return top_.estimatedSize() + front_.estimatedSize(); }
    bool empty() const { return top_.box().empty && front_.box().empty; }
    ViewPicture& top() { return top_; }
    ViewPicture& front() { return front_; }
    const double* start() const { return hasStart_ ? start_ : nullptr; }

private:
    void addLine(StrokeStyle style, const double* a, const double* b);
    void shrinkTo(std::size_t target);
    void addSideView(StrokeStyle style, const nc::Motion& m, bool topPlane, bool frontPlane);

    std::size_t budget_;
    ViewPicture top_;
    ViewPicture front_;
    bool hasStart_ = false;
    double start_[3] = {0.0, 0.0, 0.0};
};

// The colours of the tools, in the order they first appear.
const char* toolColour(std::uint8_t index);
inline constexpr std::uint8_t kToolColourCount = 10;

// The SVG of a picture (both views, a scale bar in program units, the start point), at
// most `width` pixels wide. With `legend`, the tools and their colours, indexed by colour
// (texts already HTML-escaped). `id` is unique in the page: the views' clip paths use it.
std::string pictureSvg(ToolpathPicture& picture, int width, const std::vector<std::string>& legend,
                       const std::string& id = "picture");

}  // namespace run
