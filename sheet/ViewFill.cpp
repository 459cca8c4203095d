// The cells of a view: dense strokes drawn as the area they cover, judged on samples
// first, and the pixel given up when even that does not fit.
#include "sheet/ViewPicture.h"

#include "sheet/PictureMath.h"
#include "sheet/ViewBudget.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numeric>

namespace sheet {

namespace {

using namespace budget;
using Point = PathSimplifier::Point;

// A sample takes moves one in so many, and also in runs of this many.
constexpr std::size_t kSampleRun = 64;
// How far past the part's box cells are marked: past the drawing's clip margin.
constexpr double kFillMarginPixels = 24.0;

}  // namespace

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
        const double bulge = v.arcRadius > 0.0 ? arcPiece(previous, v.p, v.arcRadius, v.angleIncreasing).sagitta : 0.0;
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
    // A move is taken when (counter / run) % every is 0: where the counter stands within
    // its period of run * every, kept as it goes (two divisions a move were most of the
    // cost of a sample).
    const std::size_t period = run * every;
    assert(period > 0);
    std::size_t phase = counter % period;
    counter += stroke.vertices.size() - 1;
    for (std::size_t i = 1; i < stroke.vertices.size(); ++i) {
        const Vertex& v = stroke.vertices[i];
        const bool taken = phase < run;
        phase = phase + 1 == period ? 0 : phase + 1;
        if (!taken) {
            previous = v.p;
            continue;
        }
        if (v.arcRadius <= 0.0 || previous == v.p) {
            segment(previous, v.p);
            previous = v.p;
            continue;
        }
        // The arc in chords within a sixteenth of a cell of it.
        const ArcPiece arc = arcPiece(previous, v.p, v.arcRadius, v.angleIncreasing);
        const double step = 2 * std::acos(1.0 - std::min(1.0, cells.cell() / 16 / arc.radius));
        // Clamped before it becomes an int: on a circle far larger than the cell the step
        // is tiny.
        const int pieces = static_cast<int>(std::clamp(std::ceil(arc.sweep / std::max(step, 1e-9)), 1.0, 512.0));
        for (int k = 1; k <= pieces; ++k) {
            const Point p = k == pieces ? v.p : arc.at(static_cast<double>(k) / pieces);
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
    mergedKeys_ = {};
    mergedCell_ = 0.0;  // merged again from the first hole, should it be
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
