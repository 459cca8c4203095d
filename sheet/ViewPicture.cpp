#include "sheet/ViewPicture.h"

#include "sheet/PictureMath.h"
#include "sheet/ViewBudget.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

namespace sheet {

namespace {

using namespace budget;

constexpr double kReferenceWidth = 600.0;  // pixels the tolerance is reckoned against
constexpr double kPixelFraction = 0.125;   // what may be dropped as the moves come, in pixels

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
    // Points kept from now on stray by no more than the tolerance (and a ninth of it where
    // a flat arc became chords).
    error_ = std::max(error_, simplifier_.tolerance() * 10 / 9);
}

void ViewPicture::keepPoints(std::size_t from)
{
    for (std::size_t i = from; i < scratch_.size(); ++i) {
        if (strokes_.back().style.rapid && splitsRetrace(strokes_, scratch_[i], retraceNear())) {
            size_ += kStrokeBytes + 2 * kLineVertexBytes;
            continue;
        }
        strokes_.back().vertices.push_back({scratch_[i]});
        size_ += kLineVertexBytes;
    }
    scratch_.clear();
}

double ViewPicture::retraceNear() const
{
    // Dashes within a pixel or two of each other run together.
    return 2 * std::max(simplifier_.tolerance(), pixel());
}

bool splitsRetrace(std::vector<ViewPicture::Stroke>& strokes, Point p, double near)
{
    // A rapid straight back along the one before it (a peck's retract and return, moves
    // between holes seen from the side) is drawn only where it goes past that one's start,
    // as a stroke of its own: dashes drawn over each other read as a cut.
    const std::vector<ViewPicture::Vertex>& v = strokes.back().vertices;
    if (v.size() < 2 || v.back().arcRadius > 0.0) {
        return false;
    }
    const Point a = v[v.size() - 2].p;
    const Point b = v.back().p;
    const double ux = b.x - a.x, uy = b.y - a.y;
    const double wx = p.x - b.x, wy = p.y - b.y;
    const double back = std::hypot(ux, uy);
    const double along = std::hypot(wx, wy);
    if (!(back > 0.0) || !(along > 0.0) || ux * wx + uy * wy >= 0.0 || std::fabs(ux * wy - uy * wx) > near * back) {
        return false;
    }
    const StrokeStyle style = strokes.back().style;
    if (along > back + near) {
        strokes.push_back({style, {{a}, {p}}});
    } else {
        strokes.push_back({style, {{p}}});
    }
    return true;
}

void ViewPicture::beginStroke(StrokeStyle style, Point from)
{
    finish();
    // Room for the few points of most strokes (a hole's approach and retract, a pass of a
    // raster): one block of one size from the allocator, not three that grow.
    Stroke& stroke = strokes_.emplace_back(Stroke{style, {}});
    stroke.vertices.reserve(kStrokeRoom);
    stroke.vertices.push_back({from});
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

void ViewPicture::lineTo(StrokeStyle style, Point from, Point to, bool frames)
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
    if (frames) {
        reached_.add(to.x, to.y);
    }
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
    // it drawn, three points for any number of moves. The nearer end first, so that moves
    // that only ever went one way are drawn without going back over themselves (a rapid
    // drawn there and back reads as a solid cut).
    const double y = level_.start.y;
    const Point low{level_.minX, y};
    const Point high{level_.maxX, y};
    const double x0 = level_.start.x;
    const double x1 = lastPoint_.x;
    const bool lowFirst = std::fabs(x0 - low.x) + (high.x - low.x) + std::fabs(high.x - x1) <=
                          std::fabs(x0 - high.x) + (high.x - low.x) + std::fabs(x1 - low.x);
    Point previous = level_.start;
    for (const Point p : {lowFirst ? low : high, lowFirst ? high : low, lastPoint_}) {
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
    // One that bulges from its chord by no more than the tolerance (the short arcs a CAM
    // system fits to a surface) is three chords a ninth of that off: points like any
    // other, for the simplifier to join.
    const bool onCircle = std::fabs(distance(to, centre) - radius) <= 1e-9 * std::max(1.0, radius);
    if (onCircle && sweep <= kPi / 2 && radius * (1 - std::cos(sweep / 2)) <= simplifier_.tolerance()) {
        const ArcPiece arc{centre, radius, std::atan2(from.y - centre.y, from.x - centre.x), sweep,
                           angleIncreasing ? 1.0 : -1.0};
        const Point first = arc.at(1.0 / 3);
        const Point second = arc.at(2.0 / 3);
        lineTo(style, from, first);
        lineTo(style, first, second);
        lineTo(style, second, to);
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
    error_ += wanted + wanted / 9;  // flat arcs become chords a ninth of the tolerance off
    minimumTolerance_ = wanted;
    updateTolerance();
    const double tolerance = simplifier_.tolerance();

    // Every stroke through a fresh simplifier at the new tolerance; a stroke too small to
    // show its shape becomes the cells it covers.
    std::vector<Stroke> strokes;
    const bool cells = cellSize() > 0.0;
    const Box clip = fillClip();
    for (Stroke& stroke : strokes_) {
        Box extent;
        for (const Vertex& v : stroke.vertices) {
            extent.add(v.p.x, v.p.y);
        }
        if (std::max(extent.maxX - extent.minX, extent.maxY - extent.minY) < 2 * tolerance && cells &&
            insideFillClip(stroke, clip)) {
            std::size_t counter = 0;
            rasterise(stroke, fillFor(stroke.style), 1, 1, counter);
            continue;
        }
        PathSimplifier simplifier(tolerance);
        Stroke kept{stroke.style, {stroke.vertices.front()}};
        simplifier.start(stroke.vertices.front().p, scratch_);
        for (std::size_t i = 1; i < stroke.vertices.size(); ++i) {
            const Vertex& v = stroke.vertices[i];
            const Point from = stroke.vertices[i - 1].p;
            if (v.arcRadius <= tolerance) {
                simplifier.add(v.p, scratch_);
            } else if (const ArcPiece arc = arcPiece(from, v.p, v.arcRadius, v.angleIncreasing);
                       arc.sagitta <= tolerance) {
                // An arc this flat is three chords a ninth of that off: points like any other.
                simplifier.add(arc.at(1.0 / 3), scratch_);
                simplifier.add(arc.at(2.0 / 3), scratch_);
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
        if (kept.style.rapid) {
            // Coarser points can turn a rapid straight back where finer ones did not.
            strokes.push_back({kept.style, {kept.vertices.front()}});
            for (std::size_t i = 1; i < kept.vertices.size(); ++i) {
                if (!splitsRetrace(strokes, kept.vertices[i].p, retraceNear())) {
                    strokes.back().vertices.push_back(kept.vertices[i]);
                }
            }
            continue;
        }
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
    // Holes are only ever added, and those merged at this size last time are in cells of
    // their own: only the holes added since are placed, each dropped where a hole before
    // it holds its cell. A plate of 200,000 holes is merged again each time its picture
    // shrinks; sorting them all again each time (or a node per hole) was most of the run.
    if (cell != mergedCell_) {
        mergedKeys_.clear();
    }
    const std::size_t from = mergedKeys_.size();
    if (from == holes_.size()) {
        return false;
    }
    struct Key {
        std::pair<std::int64_t, std::int64_t> place;  // the cell's column and row
        std::size_t index;
        bool operator<(const Key& o) const { return std::tie(place, index) < std::tie(o.place, o.index); }
    };
    std::vector<Key> keys;
    keys.reserve(holes_.size() - from);
    for (std::size_t i = from; i < holes_.size(); ++i) {
        const Hole& h = holes_[i];
        keys.push_back({{static_cast<std::int64_t>(std::floor(h.x / cell)),
                         static_cast<std::int64_t>(std::floor(std::min(h.y, h.y2) / cell))},
                        i});
    }
    std::sort(keys.begin(), keys.end());
    std::vector<bool> kept(holes_.size() - from, false);
    std::vector<std::pair<std::int64_t, std::int64_t>> added;  // sorted, as the keys are
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if ((k == 0 || keys[k].place != keys[k - 1].place) &&
            !std::binary_search(mergedKeys_.begin(), mergedKeys_.end(), keys[k].place)) {
            kept[keys[k].index - from] = true;
            added.push_back(keys[k].place);
        }
    }
    const std::size_t middle = mergedKeys_.size();
    mergedKeys_.insert(mergedKeys_.end(), added.begin(), added.end());
    std::inplace_merge(mergedKeys_.begin(), mergedKeys_.begin() + static_cast<std::ptrdiff_t>(middle), mergedKeys_.end());
    mergedCell_ = cell;
    if (mergedKeys_.size() == holes_.size()) {
        return false;
    }
    std::size_t to = from;
    for (std::size_t i = from; i < holes_.size(); ++i) {
        if (kept[i - from]) {
            holes_[to++] = holes_[i];
        }
    }
    holes_.resize(to);
    holes_.shrink_to_fit();
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

}  // namespace sheet
