#include "sheet/ToolpathPicture.h"

#include "sheet/PictureMath.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sheet {

namespace {

// The two axes each view shows: top X and Y, front X and Z, side Y and Z.
constexpr std::size_t kViewAxes[3][2] = {{0, 1}, {0, 2}, {1, 2}};

}  // namespace

void ToolpathPicture::addLine(StrokeStyle style, const double* a, const double* b, bool frames)
{
    for (int v = 0; v < 3; ++v) {
        const auto [h, u] = kViewAxes[v];
        views_[v].lineTo(style, {a[h], a[u]}, {b[h], b[u]}, frames);
    }
}

bool ToolpathPicture::approaches(const nc::Motion& m)
{
    // Rapids at the height the moves began at, up to the first that leaves it downwards;
    // anything else frames from then on.
    if (entry_ == Entry::None) {
        entry_ = Entry::Approaching;
        entryZ_ = m.from[2];
    }
    if (entry_ != Entry::Approaching) {
        return false;
    }
    if (m.kind == nc::MotionKind::Rapid && m.from[2] == entryZ_ && m.to[2] <= entryZ_) {
        if (m.to[2] < entryZ_) {
            entry_ = Entry::Descended;
        }
        return true;
    }
    // Moves that go on from that height (a feed down from it) frame the height too.
    entry_ = Entry::Framed;
    if (usable(m.from.data())) {
        for (int v = 0; v < 3; ++v) {
            views_[v].reach(m.from[kViewAxes[v][0]], m.from[kViewAxes[v][1]]);
        }
    }
    return false;
}

void ToolpathPicture::addThroughPoints(StrokeStyle style, const nc::Motion& m, int planeView)
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
        for (int v = 0; v < 3; ++v) {
            if (v != planeView) {
                const auto [h, u] = kViewAxes[v];
                views_[v].lineTo(style, {previous[h], previous[u]}, {point[h], point[u]});
            }
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
    // A move at a place only assumed (after a return to an unknown reference point) is
    // not drawn where nobody knows it is.
    if (m.unknownAxes != 0) {
        return;
    }
    const StrokeStyle style{colour, m.kind == nc::MotionKind::Rapid};
    if (units_ == 0) {
        startInch_ = m.inch;
    }
    units_ |= m.inch ? 2 : 1;
    switch (m.kind) {
    case nc::MotionKind::Rapid:
    case nc::MotionKind::Feed:
        if (usable(m.from.data()) && usable(m.to.data())) {
            // The way down only frames where it ends.
            const bool approach = approaches(m);
            addLine(style, m.from.data(), m.to.data(), !approach || entry_ == Entry::Descended);
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
        approaches(m);
        // The view whose plane the arc lies on draws it as an arc; the others through
        // points on it.
        int planeView = -1;
        for (int v = 0; v < 3; ++v) {
            if (static_cast<std::size_t>(m.axis1) == kViewAxes[v][0] &&
                static_cast<std::size_t>(m.axis2) == kViewAxes[v][1]) {
                planeView = v;
            }
        }
        if (planeView >= 0) {
            const auto [h, u] = kViewAxes[planeView];
            views_[planeView].arcTo(style, {m.from[h], m.from[u]}, {m.to[h], m.to[u]}, {m.centre1, m.centre2},
                                    m.radius, m.sweep, m.angleIncreasing);
        }
        addThroughPoints(style, m, planeView);
        break;
    }
    case nc::MotionKind::Pecks:
        // The column cut, and over it once the span the pecks back out and in along.
        if (usable(m.from.data()) && usable(m.to.data())) {
            approaches(m);
            addLine({colour, false}, m.from.data(), m.to.data());
            const double deepest[3] = {m.to[0], m.to[1], nc::peckOf(m, m.count).start};
            const double highest[3] = {m.to[0], m.to[1], nc::peckOf(m, 2).out};
            if (usable(deepest[2]) && usable(highest[2])) {
                addLine({colour, true}, deepest, highest);
            }
        }
        break;
    case nc::MotionKind::Hole:
        // The top view marks where the hole is; its moves draw it from the front.
        if (usable(m.to[0]) && usable(m.to[1])) {
            approaches(m);
            views_[0].hole(colour, m.to[0], m.to[1], m.to[1]);
        }
        break;
    default:
        return;
    }
    // Shrinking well below the budget keeps the work per move small on average; a
    // picture that stays above it waits for half a budget more.
    if (estimatedSize() > shrinkAt_) {
        // The pixel is given up only when the picture must fit, or could grow without end:
        // a trochoid's first turns look like a tangle until its band fills.
        shrinkTo(budget_ / 2, estimatedSize() > 4 * budget_);
        shrinkAt_ = std::max(budget_, estimatedSize() + budget_ / 2);
    }
}

void ToolpathPicture::markStart(double x, double y, double z)
{
    if (usable(x) && usable(y) && usable(z)) {
        hasStart_ = true;
        start_[0] = x;
        start_[1] = y;
        start_[2] = z;
        for (int v = 0; v < 3; ++v) {
            views_[v].include(start_[kViewAxes[v][0]], start_[kViewAxes[v][1]]);
        }
    }
}

void ToolpathPicture::fit(std::size_t budget)
{
    budget_ = std::min(budget_, budget);
    shrinkTo(budget_, true);
    shrinkAt_ = std::max(budget_, estimatedSize() + budget_ / 2);
}

void ToolpathPicture::shrinkTo(std::size_t target, bool mayGiveUpPixel)
{
    for (ViewPicture& view : views_) {
        view.finish();
    }
    // Coarsening halves the detail each round while it pays and the drawing stays within
    // a pixel of the path; then the densest strokes become the cells they cover; past
    // that (a tangle of long random strokes) the largest view gives up the pixel, never a
    // stroke. Only views above a third of the target give up detail: a side view full of
    // retraced lines costs the other views nothing.
    for (int round = 0; round < 64 && estimatedSize() > target; ++round) {
        const std::size_t before = estimatedSize();
        bool over[3] = {false, false, false};
        for (std::size_t v = 0; v < 3; ++v) {
            over[v] = views_[v].estimatedSize() > target / 3;
        }
        bool changed = false;
        for (std::size_t v = 0; v < 3; ++v) {
            changed = (over[v] && views_[v].coarsen()) || changed;
        }
        if (changed && estimatedSize() <= before - before / 8) {
            continue;
        }
        for (std::size_t v = 0; v < 3; ++v) {
            changed = (over[v] && views_[v].fill(target * views_[v].estimatedSize() / before, mayGiveUpPixel)) || changed;
        }
        if (changed && estimatedSize() < before) {
            continue;
        }
        // The largest view that can gives up the pixel, the others keep theirs: a side view
        // of retracts has nothing to gain from it.
        if (mayGiveUpPixel) {
            ViewPicture* largest = nullptr;
            for (ViewPicture& view : views_) {
                if (view.pixelsAllowed() < ViewPicture::kMostPixels &&
                    (!largest || view.estimatedSize() > largest->estimatedSize())) {
                    largest = &view;
                }
            }
            changed = (largest && largest->giveUpPixel()) || changed;
        }
        if (!changed) {
            break;
        }
    }
}

const char* toolColour(std::uint8_t index)
{
    static constexpr std::array<const char*, kToolColourCount> kColours{
        "#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e", "#17becf", "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22",
        "#000080", "#808000", "#800000", "#008080", "#ff00ff", "#a0522d", "#2f4f4f", "#6b8e23", "#ff1493", "#4169e1"};
    return kColours[index % kToolColourCount];
}

}  // namespace sheet
