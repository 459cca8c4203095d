#include "sheet/ViewPicture.h"

#include "sheet/PictureMath.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>
#include <utility>

namespace sheet {

namespace {

constexpr double kReferenceWidth = 600.0;  // pixels the tolerance is reckoned against
constexpr double kPixelFraction = 0.125;   // what may be dropped as the moves come, in pixels

// Bytes of SVG each piece takes, near enough to budget with.
constexpr std::size_t kStrokeBytes = 70;
constexpr std::size_t kLineVertexBytes = 14;
constexpr std::size_t kArcVertexBytes = 36;
constexpr std::size_t kHoleBytes = 64;
constexpr std::size_t kFillBytes = 100;
constexpr std::size_t kRectangleBytes = 36;

// Within a pixel of the widest view, both ways: a kept point may stray from the path by
// what simplifying dropped, all rounds of it together (at most kMaxErrorPixels); a filled
// cell holds a kept point, so its far corner strays by that and its diagonal more (a cell
// is at most kFillCellPixels wide); arcs are marked in chords a sixteenth of a cell off,
// and the drawing rounds to a twentieth of a pixel: 0.5 + 0.3 * 1.414 + 0.02 + 0.07 < 1.
constexpr double kMaxErrorPixels = 0.5;
constexpr double kFillCellPixels = 0.3;
// A sample takes moves one in so many, and also in runs of this many.
constexpr std::size_t kSampleRun = 64;
// How far past the part's box cells are marked: past the drawing's clip margin.
constexpr double kFillMarginPixels = 24.0;

std::size_t strokeBytes(const ViewPicture::Stroke& stroke)
{
    std::size_t bytes = kStrokeBytes;
    for (const ViewPicture::Vertex& v : stroke.vertices) {
        bytes += v.arcRadius > 0.0 ? kArcVertexBytes : kLineVertexBytes;
    }
    return bytes;
}

using Point = PathSimplifier::Point;

}  // namespace

bool ViewPicture::Box::add(double x, double y)
{
    if (empty) {
        minX = maxX = x;
        minY = maxY = y;
        empty = false;
        return true;
    }
    if (x >= minX && x <= maxX && y >= minY && y <= maxY) {
        return false;
    }
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
    return true;
}

void ViewPicture::Box::add(const Box& other)
{
    if (!other.empty) {
        add(other.minX, other.minY);
        add(other.maxX, other.maxY);
    }
}

void ViewPicture::updateTolerance()
{
    const Box& shown = box();
    const double extent = std::max(shown.maxX - shown.minX, shown.maxY - shown.minY);
    simplifier_.setTolerance(std::max(minimumTolerance_, kPixelFraction * extent / kReferenceWidth));
    // Points kept from now on stray by no more than the tolerance.
    error_ = std::max(error_, simplifier_.tolerance());
}

void ViewPicture::keepPoints(std::size_t from)
{
    std::vector<Vertex>& vertices = strokes_.back().vertices;
    for (std::size_t i = from; i < scratch_.size(); ++i) {
        vertices.push_back({scratch_[i]});
        size_ += kLineVertexBytes;
    }
    scratch_.clear();
}

void ViewPicture::beginStroke(StrokeStyle style, Point from)
{
    finish();
    strokes_.push_back({style, {{from}}});
    size_ += kStrokeBytes + kLineVertexBytes;
    simplifier_.start(from, scratch_);
    scratch_.clear();
    open_ = true;
}

void ViewPicture::continueStroke(StrokeStyle style, Point from)
{
    // A move goes on the open stroke when it is drawn alike and starts where that ends.
    if (!open_ || strokes_.back().style != style || distance(lastPoint_, from) > simplifier_.tolerance()) {
        beginStroke(style, from);
    }
}

void ViewPicture::lineTo(StrokeStyle style, Point from, Point to)
{
    // A move starts, as a rule, where the one before ended: that point is in the boxes.
    const bool fromKept = hasLastPoint_ && from == lastPoint_ && (style.rapid || lastPointInWork_);
    bool grew = false;
    if (!fromKept) {
        grew = all_.add(from.x, from.y);
        if (!style.rapid) {
            grew = work_.add(from.x, from.y) || grew;
        }
    }
    grew = all_.add(to.x, to.y) || grew;
    reached_.add(to.x, to.y);
    if (!style.rapid) {
        grew = work_.add(to.x, to.y) || grew;
    }
    if (grew) {
        updateTolerance();
    }
    const bool onLevel = from.y == to.y;
    if (level_.active) {
        if (onLevel && from.y == level_.start.y && from == lastPoint_ && strokes_.back().style == style) {
            level_.minX = std::min(level_.minX, to.x);
            level_.maxX = std::max(level_.maxX, to.x);
            lastPoint_ = to;
            lastPointInWork_ = !style.rapid;
            return;
        }
        flushLevel();
    }
    continueStroke(style, from);
    lastPoint_ = to;
    hasLastPoint_ = true;
    lastPointInWork_ = !style.rapid;
    if (to == from) {
        return;
    }
    if (onLevel) {
        level_ = {true, from, std::min(from.x, to.x), std::max(from.x, to.x)};
        return;
    }
    simplifier_.add(to, scratch_);
    keepPoints(0);
}

void ViewPicture::flushLevel()
{
    if (!level_.active) {
        return;
    }
    level_.active = false;
    // Out to both ends of the stretch and back to where the moves stopped: every point of
    // it drawn, three points for any number of moves.
    const double y = level_.start.y;
    Point previous = level_.start;
    for (const Point p : {Point{level_.minX, y}, Point{level_.maxX, y}, lastPoint_}) {
        if (p != previous) {
            simplifier_.add(p, scratch_);
            previous = p;
        }
    }
    keepPoints(0);
}

void ViewPicture::arcTo(StrokeStyle style, Point from, Point to, Point centre, double radius, double sweep,
                        bool angleIncreasing)
{
    flushLevel();
    // The extremes of the circle that the arc passes widen the box, as on the part.
    Box& box = style.rapid ? all_ : work_;
    all_.add(from.x, from.y);
    all_.add(to.x, to.y);
    reached_.add(to.x, to.y);
    box.add(from.x, from.y);
    box.add(to.x, to.y);
    const double startAngle = std::atan2(from.y - centre.y, from.x - centre.x);
    for (int quarter = 0; quarter < 4; ++quarter) {
        const double extreme = quarter * kPi / 2;
        double travel = angleIncreasing ? extreme - startAngle : startAngle - extreme;
        travel = std::fmod(std::fmod(travel, kFullTurn) + kFullTurn, kFullTurn);
        if (travel <= sweep) {
            const double x = centre.x + radius * std::cos(extreme);
            const double y = centre.y + radius * std::sin(extreme);
            all_.add(x, y);
            reached_.add(x, y);
            box.add(x, y);
        }
    }
    updateTolerance();
    // An arc too small to see at this scale is a line to its end.
    if (radius <= simplifier_.tolerance() || !(sweep > 0.0)) {
        lineTo(style, from, to);
        return;
    }
    continueStroke(style, from);
    simplifier_.finish(scratch_);
    keepPoints(0);
    std::vector<Vertex>& vertices = strokes_.back().vertices;
    // The arc on its circle in pieces of at most a quarter turn: SVG finds each piece's
    // centre again from its ends and radius, and on a piece that short the rounding of
    // those moves the drawn arc by a fraction of a pixel (near a half circle it would
    // move it by pixels). An end the program's offsets put off the circle is reached by
    // a straight join from where the arc ends, never by an arc of another circle.
    const double direction = angleIncreasing ? 1.0 : -1.0;
    const int pieces = std::clamp(static_cast<int>(std::ceil(sweep / (kPi / 2) - 1e-9)), 1, 4);
    const bool offCircle = std::fabs(distance(to, centre) - radius) > 1e-9 * std::max(1.0, radius);
    for (int i = 1; i <= pieces; ++i) {
        Point p = to;
        if (i < pieces || offCircle) {
            const double angle = startAngle + direction * sweep * i / pieces;
            p = {centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)};
        }
        vertices.push_back({p, radius, angleIncreasing});
        size_ += kArcVertexBytes;
    }
    if (offCircle) {
        vertices.push_back({to});
        size_ += kLineVertexBytes;
    }
    simplifier_.start(to, scratch_);
    lastPoint_ = to;
    hasLastPoint_ = true;
    lastPointInWork_ = !style.rapid;
}

void ViewPicture::hole(std::uint8_t colour, double x, double y, double y2)
{
    for (Box* b : {&all_, &work_, &reached_}) {
        b->add(x, y);
        b->add(x, y2);
    }
    updateTolerance();
    const double tolerance = simplifier_.tolerance();
    if (!holes_.empty()) {
        const Hole& last = holes_.back();
        if (std::fabs(last.x - x) <= tolerance && std::fabs(last.y - y) <= tolerance &&
            std::fabs(last.y2 - y2) <= tolerance) {
            return;
        }
    }
    holes_.push_back({x, y, y2, colour});
    size_ += kHoleBytes;
}

void ViewPicture::finish()
{
    flushLevel();
    if (open_) {
        simplifier_.finish(scratch_);
        keepPoints(0);
    }
    open_ = false;
}

double ViewPicture::pixel() const
{
    const Box& shown = box();
    return shown.empty ? 0.0 : std::max(shown.maxX - shown.minX, shown.maxY - shown.minY) / kWidestView;
}

ViewPicture::Box ViewPicture::fillClip() const
{
    // Where the moves went (retracts to a clearance height included) and a margin past the
    // drawing's clip, but no further than twice the part's size from it: cells sized for
    // the part would be countless there. Strokes that reach further stay lines.
    const Box& shown = box();
    const double margin = kFillMarginPixels * pixel();
    const double reach = 2 * std::max(shown.maxX - shown.minX, shown.maxY - shown.minY) + margin;
    Box seen = shown;
    seen.add(travelBox());
    seen.minX = std::max(seen.minX - margin, shown.minX - reach);
    seen.minY = std::max(seen.minY - margin, shown.minY - reach);
    seen.maxX = std::min(seen.maxX + margin, shown.maxX + reach);
    seen.maxY = std::min(seen.maxY + margin, shown.maxY + reach);
    return seen;
}

bool ViewPicture::insideFillClip(const Stroke& stroke, const Box& seen) const
{
    Point previous = stroke.vertices.front().p;
    for (const Vertex& v : stroke.vertices) {
        // An arc piece bulges from its chord by at most its sagitta.
        double bulge = 0.0;
        if (v.arcRadius > 0.0) {
            const double halfChord = distance(previous, v.p) / 2;
            bulge = v.arcRadius - std::sqrt(std::max(0.0, v.arcRadius * v.arcRadius - halfChord * halfChord));
        }
        for (const Point p : {previous, v.p}) {
            if (p.x - bulge < seen.minX || p.x + bulge > seen.maxX || p.y - bulge < seen.minY ||
                p.y + bulge > seen.maxY) {
                return false;
            }
        }
        previous = v.p;
    }
    return true;
}

double ViewPicture::cellSize() const
{
    const double px = pixel();
    if (!(px > 0.0)) {
        return 0.0;
    }
    // A power of two, so that cells nest when they double; never so small that a column
    // or row number would outgrow its integer (a tiny part far from the origin).
    const Box b = fillClip();
    const double reach = std::max({std::fabs(b.minX), std::fabs(b.maxX), std::fabs(b.minY), std::fabs(b.maxY)});
    int exponent = 0;
    std::frexp(std::max(kFillCellPixels * pixels_ * px, reach * 0x1p-30), &exponent);
    return std::ldexp(1.0, exponent - 1);
}

bool ViewPicture::coarsen()
{
    finish();
    const double extent = std::max(box().maxX - box().minX, box().maxY - box().minY);
    // Simplifying what was kept adds its tolerance to what the kept points stray already.
    const double wanted = std::min(std::max(2 * simplifier_.tolerance(), extent * 1e-6 + 1e-9),
                                   kMaxErrorPixels * pixels_ * pixel() - error_);
    if (!(wanted > simplifier_.tolerance())) {
        return mergeHoles();
    }
    error_ += wanted;
    minimumTolerance_ = wanted;
    updateTolerance();
    const double tolerance = simplifier_.tolerance();

    // Every stroke through a fresh simplifier at the new tolerance; a stroke too small to
    // show its shape becomes the cells it covers.
    std::vector<Stroke> strokes;
    for (Stroke& stroke : strokes_) {
        Box extent;
        for (const Vertex& v : stroke.vertices) {
            extent.add(v.p.x, v.p.y);
        }
        if (std::max(extent.maxX - extent.minX, extent.maxY - extent.minY) < 2 * tolerance && cellSize() > 0.0 &&
            insideFillClip(stroke, fillClip())) {
            std::size_t counter = 0;
            rasterise(stroke, fillFor(stroke.style), 1, 1, counter);
            continue;
        }
        PathSimplifier simplifier(tolerance);
        Stroke kept{stroke.style, {stroke.vertices.front()}};
        simplifier.start(stroke.vertices.front().p, scratch_);
        for (std::size_t i = 1; i < stroke.vertices.size(); ++i) {
            const Vertex& v = stroke.vertices[i];
            if (v.arcRadius <= tolerance) {
                simplifier.add(v.p, scratch_);
            } else {
                simplifier.finish(scratch_);
                for (const Point& p : scratch_) {
                    kept.vertices.push_back({p});
                }
                scratch_.clear();
                kept.vertices.push_back(v);
                simplifier.start(v.p, scratch_);
            }
        }
        simplifier.finish(scratch_);
        for (const Point& p : scratch_) {
            kept.vertices.push_back({p});
        }
        scratch_.clear();
        kept.vertices.shrink_to_fit();
        strokes.push_back(std::move(kept));
    }
    strokes_ = std::move(strokes);

    mergeHoles();
    recount();
    return true;
}

bool ViewPicture::mergeHoles()
{
    // Holes in one cell of 0.7 allowed pixels become one: their marks move by at most the
    // pixels allowed.
    const Box& b = box();
    const double reach = std::max({std::fabs(b.minX), std::fabs(b.maxX), std::fabs(b.minY), std::fabs(b.maxY)});
    // Never so small that a cell's number would outgrow its integer.
    const double cell = std::max(0.7 * pixels_ * pixel(), reach * 0x1p-40);
    if (!(cell > 0.0) || holes_.size() < 2) {
        return false;
    }
    std::set<std::pair<std::int64_t, std::int64_t>> cells;
    std::vector<Hole> holes;
    for (const Hole& h : holes_) {
        if (cells.emplace(static_cast<std::int64_t>(std::floor(h.x / cell)),
                          static_cast<std::int64_t>(std::floor(std::min(h.y, h.y2) / cell)))
                .second) {
            holes.push_back(h);
        }
    }
    if (holes.size() == holes_.size()) {
        return false;
    }
    holes.shrink_to_fit();
    holes_ = std::move(holes);
    recount();
    return true;
}

void ViewPicture::recount()
{
    size_ = holes_.size() * kHoleBytes;
    for (const Stroke& stroke : strokes_) {
        size_ += strokeBytes(stroke);
    }
    std::erase_if(fills_, [](const Fill& fill) { return fill.cells.empty(); });
    for (const Fill& fill : fills_) {
        size_ += kFillBytes + fill.cells.rectangleCount() * kRectangleBytes;
    }
}

CellFill& ViewPicture::fillFor(StrokeStyle style)
{
    // Tools that share a colour share its cells: they are drawn alike.
    style.colour = static_cast<std::uint8_t>(style.colour % kToolColourCount);
    const double cell = cellSize();
    for (Fill& fill : fills_) {
        if (fill.style == style) {
            // The view grew since: its cells grow with it, each into the one that holds it.
            while (fill.cells.cell() < cell) {
                fill.cells.doubleCell();
            }
            return fill.cells;
        }
    }
    fills_.push_back({style, CellFill(cell)});
    return fills_.back().cells;
}

std::size_t ViewPicture::rasterise(const Stroke& stroke, CellFill& cells, std::size_t every, std::size_t run,
                                   std::size_t& counter) const
{
    std::size_t marked = 0;
    const Box seen = fillClip();
    const auto segment = [&](Point a, Point b) {
        marked += cells.addSegment(a, b, seen.minX, seen.minY, seen.maxX, seen.maxY);
    };
    Point previous = stroke.vertices.front().p;
    segment(previous, previous);
    for (std::size_t i = 1; i < stroke.vertices.size(); ++i) {
        const Vertex& v = stroke.vertices[i];
        if ((counter++ / run) % every != 0) {
            previous = v.p;
            continue;
        }
        const double halfChord = distance(previous, v.p) / 2;
        if (v.arcRadius <= 0.0 || halfChord <= 0.0) {
            segment(previous, v.p);
            previous = v.p;
            continue;
        }
        // The arc (at most a quarter turn) in chords within a sixteenth of a cell of it.
        const double radius = std::max(v.arcRadius, halfChord);
        const double offset = std::sqrt(std::max(0.0, radius * radius - halfChord * halfChord));
        const double side = v.angleIncreasing ? 1.0 : -1.0;
        const Point centre{(previous.x + v.p.x) / 2 - side * offset * (v.p.y - previous.y) / (2 * halfChord),
                           (previous.y + v.p.y) / 2 + side * offset * (v.p.x - previous.x) / (2 * halfChord)};
        const double sweep = 2 * std::asin(std::min(1.0, halfChord / radius));
        const double step = 2 * std::acos(1.0 - std::min(1.0, cells.cell() / 16 / radius));
        // Clamped before it becomes an int: on a circle far larger than the cell the step
        // is tiny.
        const int pieces = static_cast<int>(std::clamp(std::ceil(sweep / std::max(step, 1e-9)), 1.0, 512.0));
        const double start = std::atan2(previous.y - centre.y, previous.x - centre.x);
        for (int k = 1; k <= pieces; ++k) {
            const double angle = start + side * sweep * k / pieces;
            const Point p = k == pieces ? v.p : Point{centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)};
            segment(previous, p);
            previous = p;
        }
    }
    return marked;
}

ViewPicture::Verdict ViewPicture::judgeOnSamples(const std::vector<std::size_t>& groupOf, std::size_t group,
                                                 std::size_t bytes, double cell, std::size_t mustFit) const
{
    // Judged first on a sixteenth of the moves in cells sixteen times the size (a 256th of
    // the cost), then on a fourth in cells four times the size: each covers about as much
    // of the area as all the moves do in the fine cells. How the count of rectangles grows
    // from the one to the other tells what they stand for: the edges of a solid area
    // double with each halving of the cell, the holes a tangle of random lines leaves
    // everywhere quadruple. Moves are taken one in so many, and in runs of whole passes:
    // either alone can make a solid area look sparse (every sixteenth pass of a raster;
    // a run of a trochoid is one ring of it), so the smaller guess stands.
    const double lines = static_cast<double>(bytes);
    const bool skip = mustFit > 0 && pixels_ < kMostPixels;
    const auto predict = [&](std::size_t run) {
        const auto sampled = [&](std::size_t step) {
            CellFill sample(cell * static_cast<double>(step));
            std::size_t counter = 0;
            for (std::size_t i = 0; i < strokes_.size(); ++i) {
                if (groupOf[i] == group) {
                    rasterise(strokes_[i], sample, step, run, counter);
                }
            }
            return static_cast<double>(std::max<std::size_t>(sample.rectangleCount(), 1));
        };
        const double coarse = sampled(16);
        const double least = static_cast<double>(kFillBytes) + coarse * 16 * kRectangleBytes;
        // Past what the lines take, or what a picture that must fit has: no second look.
        if (least >= lines || (skip && least > static_cast<double>(mustFit))) {
            return least;
        }
        // Even holes everywhere would pay when the coarse look is so small.
        if (static_cast<double>(kFillBytes) + coarse * 256 * kRectangleBytes < lines) {
            return static_cast<double>(kFillBytes) + coarse * 256 * kRectangleBytes;
        }
        const double finer = sampled(8);
        const double growth = std::clamp(finer / coarse, 2.0, 4.0);
        return static_cast<double>(kFillBytes) + finer * growth * growth * growth * kRectangleBytes;
    };
    const auto worth = [&](double bytesAsCells) {
        return bytesAsCells < lines && !(skip && bytesAsCells > static_cast<double>(mustFit));
    };
    double predicted = predict(1);
    if (!worth(predicted)) {
        predicted = std::min(predicted, predict(kSampleRun));
    }
    if (predicted >= lines) {
        return Verdict::Refused;
    }
    // A picture that must fit skips cells that would not: coarser ones come next.
    return worth(predicted) ? Verdict::Worth : Verdict::Later;
}

bool ViewPicture::fill(std::size_t target, bool mustFit)
{
    finish();
    const double cell = cellSize();
    if (size_ <= target || strokes_.empty() || !(cell > 0.0)) {
        return false;
    }
    // The strokes of one look together: ten thousand passes of a raster, each a stroke of
    // its own between rapids, make one solid area.
    struct Group {
        StrokeStyle style;
        std::size_t bytes = 0;
        std::size_t vertices = 0;
    };
    std::vector<Group> groups;
    constexpr std::size_t kNoGroup = ~std::size_t{0};  // a stroke that reaches past the cells stays a line
    std::vector<std::size_t> groupOf(strokes_.size(), kNoGroup);
    const Box clip = fillClip();
    for (std::size_t i = 0; i < strokes_.size(); ++i) {
        const Stroke& stroke = strokes_[i];
        if (!insideFillClip(stroke, clip)) {
            continue;
        }
        StrokeStyle style = stroke.style;
        style.colour = static_cast<std::uint8_t>(style.colour % kToolColourCount);
        auto found = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.style == style; });
        if (found == groups.end()) {
            groups.push_back({style});
            found = groups.end() - 1;
        }
        groupOf[i] = static_cast<std::size_t>(found - groups.begin());
        found->bytes += strokeBytes(stroke);
        found->vertices += stroke.vertices.size();
    }
    std::vector<std::size_t> order(groups.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return groups[a].bytes > groups[b].bytes; });

    std::vector<bool> filled(groups.size(), false);
    bool changed = false;
    for (const std::size_t g : order) {
        if (size_ <= target) {
            break;
        }
        // A look whose cells did not pay at this size is not tried again till it has twice
        // the points. (`judge` may add to `judgements_`: nothing uses `last` after it.)
        const auto last = std::find_if(judgements_.begin(), judgements_.end(),
                                     [&](const Judgement& r) { return r.style == groups[g].style; });
        if (last != judgements_.end() && !last->paid && last->cell == cell &&
            groups[g].vertices < 2 * last->vertices) {
            continue;
        }
        const auto judge = [&](bool pays) {
            if (last == judgements_.end()) {
                judgements_.push_back({groups[g].style, cell, groups[g].vertices, pays});
            } else {
                *last = {groups[g].style, cell, groups[g].vertices, pays};
            }
        };
        // A look whose cells paid at this size last time goes straight on: its new strokes
        // mostly fall where its cells are full, which costs next to nothing.
        if (last == judgements_.end() || !last->paid || last->cell != cell) {
            const Verdict verdict = judgeOnSamples(groupOf, g, groups[g].bytes, cell, mustFit ? target : 0);
            if (verdict == Verdict::Refused) {
                judge(false);
            }
            if (verdict != Verdict::Worth) {
                continue;
            }
        }
        // Marked straight into the look's cells: the samples rarely misjudge, and cells
        // that came out larger than the lines still draw them truly.
        CellFill& cells = fillFor(groups[g].style);
        const std::size_t before = cells.empty() ? 0 : kFillBytes + cells.rectangleCount() * kRectangleBytes;
        std::size_t counter = 0;
        for (std::size_t i = 0; i < strokes_.size(); ++i) {
            if (groupOf[i] == g) {
                rasterise(strokes_[i], cells, 1, 1, counter);
            }
        }
        const std::size_t after = kFillBytes + cells.rectangleCount() * kRectangleBytes;
        judge(after < before + groups[g].bytes);
        filled[g] = true;
        changed = true;
        // Near enough till the recount below (cells doubled since may count otherwise).
        size_ = size_ + after > before + groups[g].bytes ? size_ + after - before - groups[g].bytes : 0;
    }
    if (!changed) {
        return false;
    }
    // Each stroke is judged where it stood: nothing is moved onto a place not yet judged.
    std::erase_if(strokes_, [&](const Stroke& stroke) {
        const std::size_t group = groupOf[static_cast<std::size_t>(&stroke - strokes_.data())];
        return group != kNoGroup && filled[group];
    });
    recount();
    return true;
}

void ViewPicture::compact()
{
    finish();
    for (Fill& fill : fills_) {
        fill.cells.compact();
    }
    strokes_.shrink_to_fit();
    holes_.shrink_to_fit();
    judgements_ = {};
}

bool ViewPicture::giveUpPixel()
{
    if (pixels_ >= kMostPixels) {
        return false;
    }
    pixels_ *= 2;
    for (Fill& fill : fills_) {
        fillFor(fill.style);
    }
    recount();
    return true;
}

}  // namespace sheet
