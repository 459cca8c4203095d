// One view of a toolpath (top, front or side), kept small while the program streams past:
// points that add nothing at the picture's scale are dropped as they come.
#pragma once

#include "sheet/CellFill.h"
#include "sheet/PathSimplifier.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace sheet {

// The widest a view is ever drawn, in pixels: what a view may drop or fill is reckoned
// against it, so the drawing stays as close to the path at any smaller size.
inline constexpr double kWidestView = 720.0;

// Tools share the colours in turn: twenty, so that a program of up to twenty tools gives
// each its own.
inline constexpr std::uint8_t kToolColourCount = 20;

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
    // A dense part drawn as the cells its path passes through, in its tool's colour.
    struct Fill {
        StrokeStyle style;
        CellFill cells;
    };
    struct Box {
        double minX = 0.0, maxX = 0.0, minY = 0.0, maxY = 0.0;
        bool empty = true;
        // True when the box grew.
        bool add(double x, double y);
        void add(const Box& other);
    };

    // `frames`: its end counts where the moves went (travelBox); the approach of a section
    // from the height it began at does not.
    void lineTo(StrokeStyle style, PathSimplifier::Point from, PathSimplifier::Point to, bool frames = true);
    // An arc on this view's plane from `from` to `to` around `centre`.
    void arcTo(StrokeStyle style, PathSimplifier::Point from, PathSimplifier::Point to, PathSimplifier::Point centre,
               double radius, double sweep, bool angleIncreasing);
    void hole(std::uint8_t colour, double x, double y, double y2);
    // Counts a point among where the moves went (travelBox) without drawing it.
    void reach(double x, double y) { reached_.add(x, y); }
    // Widens the box of everything without drawing (the start point).
    void include(double x, double y)
    {
        all_.add(x, y);
        updateTolerance();
    }

    // Keeps what is pending; call before reading the strokes.
    void finish();
    // Doubles the tolerance, as far as the kept points stay within the allowed pixels of
    // the path (each round adds to what they stray), and simplifies what it holds again;
    // false when it is as coarse as that allows.
    bool coarsen();
    // Draws the densest strokes as the cells they cover, where cells take fewer bytes than
    // lines, until the view's estimate is at most `target`; false when nothing changed.
    // With `mustFit` (the picture will give up the pixel next) cells that would not fit
    // the target either wait for coarser ones.
    bool fill(std::size_t target, bool mustFit);
    // Gives back what only taking more moves needs.
    void compact();
    // The last resort of a picture that must fit: twice the error allowed, in pixels, for
    // the tolerance and the cells alike. Nothing is ever dropped. False past the largest.
    bool giveUpPixel();
    // How far, in pixels of the widest view, the drawing may stray from the path.
    int pixelsAllowed() const { return pixels_; }
    // The same in the view's own units.
    double allowedStray() const { return pixels_ * pixel(); }
    // Past this the cells are up to a nineteenth of the widest view: coarser says nothing.
    static constexpr int kMostPixels = 128;

    const std::vector<Stroke>& strokes() const { return strokes_; }
    const std::vector<Fill>& fills() const { return fills_; }
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
    static constexpr std::size_t kStrokeRoom = 4;  // points a new stroke has room for
    void beginStroke(StrokeStyle style, PathSimplifier::Point from);
    void continueStroke(StrokeStyle style, PathSimplifier::Point from);
    void keepPoints(std::size_t from);
    void updateTolerance();
    void recount();
    void flushLevel();
    // How near a rapid back along the one before it counts as going over it.
    double retraceNear() const;
    // False when no two holes were close enough.
    bool mergeHoles();
    // The view's length of a pixel at the widest it is drawn (0 before it has a size).
    double pixel() const;
    double cellSize() const;
    // Where cells are marked.
    Box fillClip() const;
    // Whether every point of the stroke is inside `clip` (`fillClip()`): only such strokes
    // become cells.
    bool insideFillClip(const Stroke& stroke, const Box& clip) const;
    // Marks the cells of the moves of a stroke in `cells` (of every `every`th run of `run`
    // moves, counting on from `counter`), as far as they can be seen; returns the rows marked.
    std::size_t rasterise(const Stroke& stroke, CellFill& cells, std::size_t every, std::size_t run,
                          std::size_t& counter) const;
    CellFill& fillFor(StrokeStyle style);
    // Whether the strokes of one look (those whose `groupOf` is `group`, `bytes` of them)
    // would take fewer bytes as cells of size `cell`, judged on samples; `mustFit`, when
    // not 0, the bytes a picture that must fit has for them.
    enum class Verdict { Refused, Later, Worth };
    Verdict judgeOnSamples(const std::vector<std::size_t>& groupOf, std::size_t group, std::size_t bytes, double cell,
                           std::size_t mustFit) const;

    std::vector<Stroke> strokes_;
    std::vector<Fill> fills_;
    // How each look's strokes last did as cells: at a cell size, with so many points,
    // whether the cells took fewer bytes than the lines.
    struct Judgement {
        StrokeStyle style;
        double cell = 0.0;
        std::size_t vertices = 0;
        bool paid = false;
    };
    std::vector<Judgement> judgements_;
    std::vector<Hole> holes_;
    // The cell size holes were last merged at, and the cells of the holes then, sorted:
    // as many as there were, each in a cell of its own, the first of holes_.
    double mergedCell_ = 0.0;
    std::vector<std::pair<std::int64_t, std::int64_t>> mergedKeys_;
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
    double error_ = 0.0;  // how far a kept point may stray from the path, all simplifying together
    int pixels_ = 1;
    Box all_;   // every move
    Box reached_;  // the ends of the moves
    Box work_;  // feed moves and holes
    std::size_t size_ = 0;
};

// Whether the next point `p` of the last of `strokes` (a rapid's) goes straight back along
// the stroke's last line (within `near`); if so only what goes past that line's start is
// drawn, in a new stroke that goes on from `p`, and the caller keeps `p` no further.
bool splitsRetrace(std::vector<ViewPicture::Stroke>& strokes, PathSimplifier::Point p, double near);

}  // namespace sheet
