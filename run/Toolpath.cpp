#include "run/Toolpath.h"

#include "nc/Markers.h"
#include "util/Number.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_set>

namespace run {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kFullTurn = 2 * kPi;
constexpr double kReferenceWidth = 600.0;  // pixels the tolerance is reckoned against
constexpr double kPixelFraction = 0.25;    // what may be dropped, in pixels
constexpr double kLargestCoordinate = 1e9;  // beyond any machine: a value past it is not drawn

// Bytes of SVG each piece takes, near enough to budget with.
constexpr std::size_t kStrokeBytes = 70;
constexpr std::size_t kLineVertexBytes = 14;
constexpr std::size_t kArcVertexBytes = 36;
constexpr std::size_t kHoleBytes = 48;

using Point = PathSimplifier::Point;

// Coordinates are below kLargestCoordinate: the squares cannot overflow, so the plain
// root serves (hypot's care costs more than the rest of the simplifier).
double distance(Point a, Point b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

bool usable(double v)
{
    return std::isfinite(v) && std::fabs(v) < kLargestCoordinate && v != nc::kUnknownPosition;
}

bool usable(const double* p)
{
    return usable(p[0]) && usable(p[1]) && usable(p[2]);
}

}  // namespace

void PathSimplifier::start(Point p, std::vector<Point>& out)
{
    finish(out);
    anchor_ = p;
}

namespace {

double cross(Point a, Point b)
{
    return a.x * b.y - a.y * b.x;
}

double dot(Point a, Point b)
{
    return a.x * b.x + a.y * b.y;
}

}  // namespace

void PathSimplifier::add(Point p, std::vector<Point>& out)
{
    if (!hasPending_) {
        pending_ = p;
        hasPending_ = true;
        reach_ = distance(anchor_, p);
        return;
    }
    // Would the segment from the anchor to p still pass within the tolerance of the
    // pending point and of every point dropped before it? The cone of such directions is
    // kept as its two bounding unit vectors, so no angle is ever computed.
    const Point toP{p.x - anchor_.x, p.y - anchor_.y};
    const double lengthP = std::sqrt(dot(toP, toP));
    bool replaces = false;
    // The pending point must lie within the tolerance of the new segment: most points that
    // turn a corner fail this cheap test before any cone is worked out.
    const Point toPending{pending_.x - anchor_.x, pending_.y - anchor_.y};
    const bool nearLine = std::fabs(cross(toP, toPending)) <= tolerance_ * lengthP;
    if (tolerance_ > 0.0 && lengthP >= reach_ && nearLine) {
        bool cone = hasCone_;
        Point right = right_;
        Point left = left_;
        bool feasible = true;
        const double lengthPending = std::sqrt(dot(toPending, toPending));
        if (lengthPending > tolerance_) {
            // The pending point allows the directions within asin(tolerance / distance) of its own.
            const Point u{toPending.x / lengthPending, toPending.y / lengthPending};
            const double s = tolerance_ / lengthPending;
            const double c = std::sqrt(1 - s * s);
            const Point newRight{u.x * c + u.y * s, u.y * c - u.x * s};
            const Point newLeft{u.x * c - u.y * s, u.y * c + u.x * s};
            if (!cone) {
                cone = true;
                right = newRight;
                left = newLeft;
            } else if (dot(u, right) > 0.0 && dot(u, left) > 0.0) {
                // Every cone spans less than half a turn, so the bounds compare by their cross product.
                if (cross(right, newRight) > 0.0) {
                    right = newRight;
                }
                if (cross(newLeft, left) > 0.0) {
                    left = newLeft;
                }
                feasible = cross(right, left) >= 0.0;
            } else {
                feasible = false;  // the path turns away: keep the pending point
            }
        }
        if (feasible) {
            replaces = !cone || (cross(right, toP) >= 0.0 && cross(toP, left) >= 0.0 &&
                                 dot(toP, Point{right.x + left.x, right.y + left.y}) > 0.0);
        }
        if (replaces) {
            hasCone_ = cone;
            right_ = right;
            left_ = left;
        }
    }
    if (replaces) {
        pending_ = p;
        reach_ = std::max(reach_, lengthP);
        return;
    }
    out.push_back(pending_);
    anchor_ = pending_;
    hasCone_ = false;
    pending_ = p;
    reach_ = distance(anchor_, p);
}

void PathSimplifier::finish(std::vector<Point>& out)
{
    if (hasPending_) {
        out.push_back(pending_);
        anchor_ = pending_;
    }
    hasPending_ = false;
    hasCone_ = false;
    reach_ = 0.0;
}

void ViewPicture::Box::add(double x, double y)
{
    if (empty) {
        minX = maxX = x;
        minY = maxY = y;
        empty = false;
        return;
    }
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
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
    all_.add(from.x, from.y);
    all_.add(to.x, to.y);
    if (!style.rapid) {
        work_.add(from.x, from.y);
        work_.add(to.x, to.y);
    }
    updateTolerance();
    continueStroke(style, from);
    lastPoint_ = to;
    if (to == from) {
        return;
    }
    simplifier_.add(to, scratch_);
    keepPoints(0);
}

void ViewPicture::arcTo(StrokeStyle style, Point from, Point to, Point centre, double radius, double sweep,
                        bool angleIncreasing)
{
    // The extremes of the circle that the arc passes widen the box, as on the part.
    Box& box = style.rapid ? all_ : work_;
    all_.add(from.x, from.y);
    all_.add(to.x, to.y);
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
    if (sweep >= kFullTurn - 1e-9) {
        // SVG cannot draw a whole circle as one arc: two halves.
        const Point opposite{2 * centre.x - from.x, 2 * centre.y - from.y};
        vertices.push_back({opposite, radius, false, angleIncreasing});
        vertices.push_back({to, radius, false, angleIncreasing});
        size_ += 2 * kArcVertexBytes;
    } else {
        vertices.push_back({to, radius, sweep > kPi, angleIncreasing});
        size_ += kArcVertexBytes;
    }
    simplifier_.start(to, scratch_);
    lastPoint_ = to;
}

void ViewPicture::hole(std::uint8_t colour, double x, double y, double y2)
{
    for (Box* b : {&all_, &work_}) {
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
    if (open_) {
        simplifier_.finish(scratch_);
        keepPoints(0);
    }
    open_ = false;
}

void ViewPicture::coarsen()
{
    finish();
    const double extent = std::max(box().maxX - box().minX, box().maxY - box().minY);
    minimumTolerance_ = std::max(2 * simplifier_.tolerance(), extent * 1e-6 + 1e-9);
    updateTolerance();
    const double tolerance = simplifier_.tolerance();

    // Every stroke through a fresh simplifier at the new tolerance; strokes too small to
    // see go.
    std::vector<Stroke> strokes;
    for (Stroke& stroke : strokes_) {
        Box extent;
        for (const Vertex& v : stroke.vertices) {
            extent.add(v.p.x, v.p.y);
        }
        if (std::max(extent.maxX - extent.minX, extent.maxY - extent.minY) < 2 * tolerance) {
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

    // Holes closer than the tolerance become one.
    std::unordered_set<std::uint64_t> cells;
    std::vector<Hole> holes;
    const double cell = 2 * tolerance;
    for (const Hole& h : holes_) {
        const auto qx = static_cast<std::int64_t>(std::floor(h.x / cell));
        const auto qy = static_cast<std::int64_t>(std::floor(std::min(h.y, h.y2) / cell));
        const std::uint64_t key = (static_cast<std::uint64_t>(qx) * 0x9E3779B97F4A7C15ULL) ^ static_cast<std::uint64_t>(qy);
        if (cells.insert(key).second) {
            holes.push_back(h);
        }
    }
    holes.shrink_to_fit();
    holes_ = std::move(holes);
    recount();
}

void ViewPicture::recount()
{
    size_ = holes_.size() * kHoleBytes;
    for (const Stroke& stroke : strokes_) {
        size_ += kStrokeBytes;
        for (const Vertex& v : stroke.vertices) {
            size_ += v.arcRadius > 0.0 ? kArcVertexBytes : kLineVertexBytes;
        }
    }
}

void ViewPicture::thin()
{
    finish();
    // Many short strokes: every other one goes. Few long ones: every other vertex of each
    // (ends kept), so the size halves either way.
    std::size_t vertices = 0;
    for (const Stroke& stroke : strokes_) {
        vertices += stroke.vertices.size();
    }
    if (strokes_.size() * 4 >= vertices) {
        std::vector<Stroke> strokes;
        for (std::size_t i = 0; i < strokes_.size(); i += 2) {
            strokes.push_back(std::move(strokes_[i]));
        }
        strokes_ = std::move(strokes);
    } else {
        for (Stroke& stroke : strokes_) {
            std::vector<Vertex>& v = stroke.vertices;
            std::size_t kept = 1;
            for (std::size_t i = 1; i < v.size(); ++i) {
                if (i % 2 == 0 || i + 1 == v.size()) {
                    v[kept++] = v[i];
                }
            }
            v.resize(kept);
            v.shrink_to_fit();
        }
    }
    std::vector<Hole> holes;
    for (std::size_t i = 0; i < holes_.size(); i += 2) {
        holes.push_back(holes_[i]);
    }
    holes_ = std::move(holes);
    recount();
}

void ToolpathPicture::addLine(StrokeStyle style, const double* a, const double* b)
{
    top_.lineTo(style, {a[0], a[1]}, {b[0], b[1]});
    front_.lineTo(style, {a[0], a[2]}, {b[0], b[2]});
}

void ToolpathPicture::addSideView(StrokeStyle style, const nc::Motion& m, bool topPlane, bool frontPlane)
{
    // Seen from the side, an arc is a curve of another kind: drawn through points on it.
    // Without a helix it projects onto a line, exactly through its start, the quarter
    // points it passes and its end; a helix is drawn through points every 7.5 degrees.
    const double direction = m.angleIncreasing ? 1.0 : -1.0;
    const auto third = static_cast<std::size_t>(3 - m.axis1 - m.axis2);
    const auto axis1 = static_cast<std::size_t>(m.axis1);
    const auto axis2 = static_cast<std::size_t>(m.axis2);
    const bool helix = m.from[third] != m.to[third];
    const int steps = helix ? std::clamp(static_cast<int>(std::ceil(m.sweep / (kPi / 24))), 1, 48) : 0;
    double previous[3] = {m.from[0], m.from[1], m.from[2]};
    const auto to = [&](double travel) {
        double point[3];
        if (travel >= m.sweep) {
            std::copy(m.to.begin(), m.to.end(), point);
        } else {
            const double angle = m.startAngle + direction * travel;
            point[axis1] = m.centre1 + m.radius * std::cos(angle);
            point[axis2] = m.centre2 + m.radius * std::sin(angle);
            point[third] = m.from[third] + (m.to[third] - m.from[third]) * (travel / m.sweep);
        }
        if (!topPlane) {
            top_.lineTo(style, {previous[0], previous[1]}, {point[0], point[1]});
        }
        if (!frontPlane) {
            front_.lineTo(style, {previous[0], previous[2]}, {point[0], point[2]});
        }
        std::copy(point, point + 3, previous);
    };
    if (helix) {
        for (int i = 1; i <= steps; ++i) {
            to(m.sweep * i / steps);
        }
        return;
    }
    // The travel from the start to the first quarter point ahead, then a quarter at a time.
    const double quarter = kPi / 2;
    const double start = m.angleIncreasing ? m.startAngle : -m.startAngle;
    double travel = std::ceil(start / quarter) * quarter - start;
    if (travel <= 0.0) {
        travel += quarter;
    }
    for (; travel < m.sweep; travel += quarter) {
        to(travel);
    }
    to(m.sweep);
}

void ToolpathPicture::add(const nc::Motion& m, std::uint8_t colour)
{
    const StrokeStyle style{colour, m.kind == nc::MotionKind::Rapid};
    switch (m.kind) {
    case nc::MotionKind::Rapid:
    case nc::MotionKind::Feed:
        if (usable(m.from.data()) && usable(m.to.data())) {
            addLine(style, m.from.data(), m.to.data());
        }
        break;
    case nc::MotionKind::Arc: {
        // An arc turns at most once round (as the interpreter measures them) on a circle
        // no larger than the machine; anything else is not drawn.
        const bool arcDrawable = usable(m.from.data()) && usable(m.to.data()) && usable(m.centre1) &&
                                 usable(m.centre2) && m.radius >= 0.0 && m.radius < kLargestCoordinate &&
                                 m.sweep >= 0.0 && m.sweep <= kFullTurn + 1e-9 && std::isfinite(m.startAngle) &&
                                 std::fabs(m.startAngle) <= 4 * kFullTurn && m.axis1 >= 0 && m.axis2 <= 2 &&
                                 m.axis1 < m.axis2;
        if (!arcDrawable) {
            break;
        }
        const bool topPlane = m.axis1 == 0 && m.axis2 == 1;
        const bool frontPlane = m.axis1 == 0 && m.axis2 == 2;
        const Point centre{m.centre1, m.centre2};
        if (topPlane) {
            top_.arcTo(style, {m.from[0], m.from[1]}, {m.to[0], m.to[1]}, centre, m.radius, m.sweep,
                       m.angleIncreasing);
        }
        if (frontPlane) {
            front_.arcTo(style, {m.from[0], m.from[2]}, {m.to[0], m.to[2]}, centre, m.radius, m.sweep,
                         m.angleIncreasing);
        }
        if (!topPlane || !frontPlane) {
            addSideView(style, m, topPlane, frontPlane);
        }
        break;
    }
    case nc::MotionKind::Hole:
        // The top view marks where the hole is; its moves draw it from the front.
        if (usable(m.to[0]) && usable(m.to[1])) {
            top_.hole(colour, m.to[0], m.to[1], m.to[1]);
        }
        break;
    default:
        return;
    }
    // Shrinking well below the budget keeps the work per move small on average.
    if (estimatedSize() > budget_) {
        shrinkTo(budget_ / 2);
    }
}

void ToolpathPicture::markStart(double x, double y, double z)
{
    if (usable(x) && usable(y) && usable(z)) {
        hasStart_ = true;
        start_[0] = x;
        start_[1] = y;
        start_[2] = z;
        top_.include(x, y);
        front_.include(x, z);
    }
}

void ToolpathPicture::fit(std::size_t budget)
{
    budget_ = std::min(budget_, budget);
    shrinkTo(budget_);
}

void ToolpathPicture::shrinkTo(std::size_t target)
{
    top_.finish();
    front_.finish();
    // Coarsening halves the detail each round while it pays; a path that no detail makes
    // smaller (a random walk) or more separate strokes than the budget holds is thinned.
    for (int round = 0; round < 64 && estimatedSize() > target; ++round) {
        const std::size_t before = estimatedSize();
        top_.coarsen();
        front_.coarsen();
        if (estimatedSize() > before - before / 8) {
            top_.thin();
            front_.thin();
        }
    }
}

const char* toolColour(std::uint8_t index)
{
    static constexpr std::array<const char*, kToolColourCount> kColours{
        "#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e",
        "#17becf", "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22"};
    return kColours[index % kToolColourCount];
}

namespace {

// A round length for the scale bar: 1, 2 or 5 times a power of ten, at most `limit`.
double roundLength(double limit)
{
    if (!(limit > 0.0)) {
        return 0.0;
    }
    const double power = std::pow(10.0, std::floor(std::log10(limit)));
    for (const double step : {5.0, 2.0, 1.0}) {
        if (step * power <= limit) {
            return step * power;
        }
    }
    return power;
}

// Pixels; a rapid far outside a view (clipped away anyway) is kept to a short number.
void appendNumber(std::string& out, double v)
{
    util::appendFixed(out, std::clamp(v, -1e7, 1e7), 1);
}

struct Mapping {
    double scale = 1.0;
    double left = 0.0;    // pixel of minX
    double top = 0.0;     // pixel of maxY
    double minX = 0.0;
    double maxY = 0.0;
    double x(double v) const { return left + (v - minX) * scale; }
    double y(double v) const { return top + (maxY - v) * scale; }
};

void appendPoint(std::string& out, const Mapping& m, Point p)
{
    appendNumber(out, m.x(p.x));
    out += ' ';
    appendNumber(out, m.y(p.y));
}

void appendView(std::string& out, ViewPicture& view, const Mapping& m, const char* label, double labelY,
                const double* start, const std::string& clipId)
{
    const ViewPicture::Box& box = view.box();
    const double slack = 2 * view.tolerance();
    const bool startShown = start && start[0] >= box.minX - slack && start[0] <= box.maxX + slack &&
                            start[1] >= box.minY - slack && start[1] <= box.maxY + slack;
    out += "<text class=\"label\" x=\"";
    appendNumber(out, m.left);
    out += "\" y=\"";
    appendNumber(out, labelY);
    out += "\">";
    out += label;
    if (start && !startShown) {
        out += "　スタート点は枠外 (";
        out += util::formatGeneral(start[0]);
        out += ", ";
        out += util::formatGeneral(start[1]);
        out += ")";
    }
    out += "</text>\n";
    // Rapids that leave the part's box (the way down from a start point far above) are
    // cut at its edge, a margin away.
    const double margin = 12.0;
    out += "<clipPath id=\"";
    out += clipId;
    out += "\"><rect x=\"";
    appendNumber(out, m.left - margin);
    out += "\" y=\"";
    appendNumber(out, m.top - margin);
    out += "\" width=\"";
    appendNumber(out, (box.maxX - box.minX) * m.scale + 2 * margin);
    out += "\" height=\"";
    appendNumber(out, (box.maxY - box.minY) * m.scale + 2 * margin);
    out += "\"/></clipPath><g clip-path=\"url(#";
    out += clipId;
    out += ")\">\n";
    for (const ViewPicture::Stroke& stroke : view.strokes()) {
        out += "<path class=\"";
        out += stroke.style.rapid ? "r" : "f";
        out += "\" stroke=\"";
        out += toolColour(stroke.style.colour);
        out += "\" d=\"M";
        appendPoint(out, m, stroke.vertices.front().p);
        for (std::size_t i = 1; i < stroke.vertices.size(); ++i) {
            const ViewPicture::Vertex& v = stroke.vertices[i];
            if (v.arcRadius > 0.0) {
                out += " A";
                appendNumber(out, v.arcRadius * m.scale);
                out += ' ';
                appendNumber(out, v.arcRadius * m.scale);
                out += v.largeArc ? " 0 1 " : " 0 0 ";
                // The view's y runs up, the picture's down: a turn with increasing angle is
                // SVG's negative direction.
                out += v.angleIncreasing ? "0 " : "1 ";
            } else {
                out += " L";
            }
            appendPoint(out, m, v.p);
        }
        out += "\"/>\n";
    }
    for (const ViewPicture::Hole& h : view.holes()) {
        if (h.y == h.y2) {
            out += "<circle class=\"h\" stroke=\"";
            out += toolColour(h.colour);
            out += "\" cx=\"";
            appendNumber(out, m.x(h.x));
            out += "\" cy=\"";
            appendNumber(out, m.y(h.y));
            out += "\" r=\"3\"/>\n";
        } else {
            out += "<path class=\"f\" stroke=\"";
            out += toolColour(h.colour);
            out += "\" d=\"M";
            appendPoint(out, m, {h.x, h.y});
            out += " L";
            appendPoint(out, m, {h.x, h.y2});
            out += "\"/>\n";
        }
    }
    if (startShown) {
        out += "<path class=\"start\" d=\"M";
        appendPoint(out, m, {start[0], start[1]});
        out += " m-6 0 l12 0 m-6 -6 l0 12\"/><circle class=\"start\" cx=\"";
        appendNumber(out, m.x(start[0]));
        out += "\" cy=\"";
        appendNumber(out, m.y(start[1]));
        out += "\" r=\"4\"/>\n";
    }
    out += "</g>\n";
}

}  // namespace

namespace {

constexpr double kMargin = 24.0;
constexpr double kLabelHeight = 18.0;
constexpr double kMaxViewHeight = 360.0;
constexpr double kBarHeight = 22.0;

// Where a view goes: its scale (equal on both axes) and its place in the picture.
Mapping placeView(const ViewPicture::Box& box, double drawWidth, double top)
{
    // Extents below a micron draw as a point; no view magnifies more than that.
    constexpr double kSmallest = 1e-3;
    const double extentX = box.empty ? 0.0 : box.maxX - box.minX;
    const double extentY = box.empty ? 0.0 : box.maxY - box.minY;
    double scale = extentX > kSmallest ? drawWidth / extentX : drawWidth / kSmallest;
    if (extentY > kSmallest) {
        scale = std::min(scale, kMaxViewHeight / extentY);
    }
    if (!std::isfinite(scale) || scale <= 0.0) {
        scale = 1.0;
    }
    return {scale, kMargin, top, box.empty ? 0.0 : box.minX, box.empty ? 0.0 : box.maxY};
}

double viewHeight(const ViewPicture::Box& box, const Mapping& m)
{
    return box.empty ? 0.0 : (box.maxY - box.minY) * m.scale;
}

double viewWidth(const ViewPicture::Box& box, const Mapping& m)
{
    return box.empty ? 0.0 : (box.maxX - box.minX) * m.scale;
}

// A bar of a round length in program units, under a view.
void appendScaleBar(std::string& out, const ViewPicture::Box& box, const Mapping& m, double y)
{
    const double extent = std::max(box.maxX - box.minX, box.maxY - box.minY);
    const double bar = roundLength(extent / 4);
    if (box.empty || bar <= 0.0) {
        return;
    }
    out += "<path class=\"bar\" d=\"M";
    appendNumber(out, kMargin);
    out += ' ';
    appendNumber(out, y);
    out += " l";
    appendNumber(out, bar * m.scale);
    out += " 0\"/><text class=\"label\" x=\"";
    appendNumber(out, kMargin + bar * m.scale + 6);
    out += "\" y=\"";
    appendNumber(out, y + 4);
    out += "\">";
    out += util::formatGeneral(bar);
    out += "</text>\n";
}

}  // namespace

std::string pictureSvg(ToolpathPicture& picture, int width, const std::vector<std::string>& legend,
                       const std::string& id)
{
    picture.top().finish();
    picture.front().finish();
    const ViewPicture::Box& top = picture.top().box();
    const ViewPicture::Box& front = picture.front().box();
    const double drawWidth = width - 2 * kMargin;

    // Each view at its own scale, the same on both of its axes, with its own scale bar.
    const Mapping topMap = placeView(top, drawWidth, kMargin + kLabelHeight);
    const double topBottom = topMap.top + viewHeight(top, topMap);
    const Mapping frontMap = placeView(front, drawWidth, topBottom + kBarHeight + kMargin + kLabelHeight);
    const double frontBottom = frontMap.top + viewHeight(front, frontMap);
    const double legendTop = frontBottom + kBarHeight + 16;
    const double height = legendTop + 18.0 * static_cast<double>(legend.size()) + 4;

    // As wide as the views need (and the legend's texts), at most `width`.
    const double used = std::max({viewWidth(top, topMap) + 2 * kMargin, viewWidth(front, frontMap) + 2 * kMargin,
                                  legend.empty() ? 200.0 : 420.0});
    const auto svgWidth = static_cast<long long>(std::ceil(std::min(used, static_cast<double>(width))));
    const auto svgHeight = static_cast<long long>(std::ceil(height));

    std::string out;
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"toolpath\" width=\"";
    out += util::formatInt(svgWidth);
    out += "\" height=\"";
    out += util::formatInt(svgHeight);
    out += "\" viewBox=\"0 0 ";
    out += util::formatInt(svgWidth);
    out += ' ';
    out += util::formatInt(svgHeight);
    out += "\">\n<style>path{fill:none;stroke-linecap:round;stroke-linejoin:round}"
           ".f{stroke-width:1.3}.r{stroke-width:0.7;stroke-dasharray:4 3;opacity:.8}"
           ".h{fill:none;stroke-width:1.2}.start{fill:none;stroke:#000;stroke-width:1.5}"
           ".label{font:12px sans-serif;fill:#333}.bar{stroke:#000;stroke-width:2}</style>\n";
    const double* start = picture.start();
    const double topStart[2] = {start ? start[0] : 0.0, start ? start[1] : 0.0};
    const double frontStart[2] = {start ? start[0] : 0.0, start ? start[2] : 0.0};
    appendView(out, picture.top(), topMap, "上面 (XY)", topMap.top - 6, start ? topStart : nullptr, id + "t");
    appendScaleBar(out, top, topMap, topBottom + kBarHeight - 4);
    appendView(out, picture.front(), frontMap, "正面 (XZ)", frontMap.top - 6, start ? frontStart : nullptr,
               id + "f");
    appendScaleBar(out, front, frontMap, frontBottom + kBarHeight - 4);
    for (std::size_t i = 0; i < legend.size(); ++i) {
        const double y = legendTop + 18.0 * static_cast<double>(i);
        out += "<path class=\"f\" stroke=\"";
        out += toolColour(static_cast<std::uint8_t>(i));
        out += "\" d=\"M";
        appendNumber(out, kMargin);
        out += ' ';
        appendNumber(out, y);
        out += " l24 0\"/><text class=\"label\" x=\"";
        appendNumber(out, kMargin + 32);
        out += "\" y=\"";
        appendNumber(out, y + 4);
        out += "\">";
        out += legend[i];
        out += "</text>\n";
    }
    out += "</svg>\n";
    return out;
}

}  // namespace run
