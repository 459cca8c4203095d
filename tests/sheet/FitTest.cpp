// A picture squeezed into a small budget still shows the path's shape: every point of the
// path lies within a pixel of the drawing, and every drawn point within a pixel of the
// path, a pixel reckoned at the widest a view is drawn (so no less at any other size).
#include "sheet/PictureSvg.h"
#include "sheet/SectionDrawings.h"
#include "sheet/SheetPictures.h"
#include "sheet/ToolpathPicture.h"
#include "sheet/ViewPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Point = sheet::PathSimplifier::Point;

constexpr double kPi = 3.14159265358979323846;
constexpr std::size_t kBudget = sheet::SheetPictures::kPictureBudget;  // the whole program's

struct Segment {
    Point a, b;
};

double distanceToSegment(Point p, const Segment& s)
{
    const double dx = s.b.x - s.a.x;
    const double dy = s.b.y - s.a.y;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 == 0.0 ? 0.0 : std::clamp(((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / length2, 0.0, 1.0);
    return std::sqrt((p.x - (s.a.x + t * dx)) * (p.x - (s.a.x + t * dx)) + (p.y - (s.a.y + t * dy)) * (p.y - (s.a.y + t * dy)));
}

// Segments in buckets a pixel wide over a box: is one within a distance of a point?
class SegmentIndex {
public:
    SegmentIndex(std::vector<Segment> segments, const sheet::ViewPicture::Box& box, double pixel)
        : segments_(std::move(segments)), pixel_(pixel), minX_(box.minX - 30 * pixel), minY_(box.minY - 30 * pixel),
          columns_(static_cast<std::int64_t>((box.maxX - box.minX) / pixel) + 61),
          rows_(static_cast<std::int64_t>((box.maxY - box.minY) / pixel) + 61),
          buckets_(static_cast<std::size_t>(columns_ * rows_))
    {
        for (std::size_t i = 0; i < segments_.size(); ++i) {
            const Segment& s = segments_[i];
            const auto steps = static_cast<int>(std::ceil(std::hypot(s.b.x - s.a.x, s.b.y - s.a.y) / (pixel_ / 2)));
            for (int k = 0; k <= steps; ++k) {
                const double t = steps == 0 ? 0.0 : static_cast<double>(k) / steps;
                const std::int64_t at = bucket(s.a.x + t * (s.b.x - s.a.x), s.a.y + t * (s.b.y - s.a.y));
                if (at >= 0 && (buckets_[static_cast<std::size_t>(at)].empty() || buckets_[static_cast<std::size_t>(at)].back() != i)) {
                    buckets_[static_cast<std::size_t>(at)].push_back(i);
                }
            }
        }
    }
    // Whether a segment passes within `d` (at most a pixel) of p.
    bool within(Point p, double d) const
    {
        const auto cx = static_cast<std::int64_t>(std::floor((p.x - minX_) / pixel_));
        const auto cy = static_cast<std::int64_t>(std::floor((p.y - minY_) / pixel_));
        // The point's own bucket first: in a dense drawing it nearly always answers.
        for (const auto& [dx, dy] : {std::pair<std::int64_t, std::int64_t>{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1},
                                    {-1, -1}, {1, -1}, {-1, 1}, {1, 1}}) {
            {
                if (cx + dx < 0 || cx + dx >= columns_ || cy + dy < 0 || cy + dy >= rows_) {
                    continue;
                }
                for (const std::size_t i : buckets_[static_cast<std::size_t>((cy + dy) * columns_ + cx + dx)]) {
                    if (distanceToSegment(p, segments_[i]) <= d) {
                        return true;
                    }
                }
            }
        }
        return false;
    }

private:
    std::int64_t bucket(double x, double y) const
    {
        const auto cx = static_cast<std::int64_t>(std::floor((x - minX_) / pixel_));
        const auto cy = static_cast<std::int64_t>(std::floor((y - minY_) / pixel_));
        return cx < 0 || cx >= columns_ || cy < 0 || cy >= rows_ ? -1 : cy * columns_ + cx;
    }
    std::vector<Segment> segments_;
    double pixel_;
    double minX_, minY_;
    std::int64_t columns_, rows_;
    std::vector<std::vector<std::size_t>> buckets_;
};

// An arc (at most a quarter turn) from `a` to `b` as chords within a hundredth of `within`.
void flattenArc(Point a, Point b, double radius, bool angleIncreasing, double within, std::vector<Segment>& out)
{
    const double half = std::hypot(b.x - a.x, b.y - a.y) / 2;
    const double r = std::max(radius, half);
    const double offset = std::sqrt(std::max(0.0, r * r - half * half));
    const double side = angleIncreasing ? 1.0 : -1.0;
    const Point centre{(a.x + b.x) / 2 - side * offset * (b.y - a.y) / (2 * half),
                       (a.y + b.y) / 2 + side * offset * (b.x - a.x) / (2 * half)};
    const double sweep = 2 * std::asin(std::min(1.0, half / r));
    const int pieces = std::clamp(static_cast<int>(std::ceil(sweep / (2 * std::acos(1 - std::min(1.0, within / 100 / r))))), 1, 4096);
    const double start = std::atan2(a.y - centre.y, a.x - centre.x);
    Point previous = a;
    for (int k = 1; k <= pieces; ++k) {
        const double angle = start + side * sweep * k / pieces;
        const Point p = k == pieces ? b : Point{centre.x + r * std::cos(angle), centre.y + r * std::sin(angle)};
        out.push_back({previous, p});
        previous = p;
    }
}

struct Shape {
    std::string name;
    std::function<std::vector<nc::Motion>()> moves;
    bool dense;  // more than the budget holds as lines: it must be filled
    int pixelsAllowed = 1;  // what the picture may give up at most
};

nc::Motion feed(nc::Point3 from, nc::Point3 to)
{
    nc::Motion m;
    m.kind = nc::MotionKind::Feed;
    m.from = from;
    m.to = to;
    return m;
}

// The path of one view as the machine travels it: lines, and arcs in fine chords.
std::vector<Segment> truePath(const std::vector<nc::Motion>& moves, int axisX, int axisY, double pixel)
{
    std::vector<Segment> path;
    for (const nc::Motion& m : moves) {
        const auto at = [&](const nc::Point3& p) { return Point{p[static_cast<std::size_t>(axisX)], p[static_cast<std::size_t>(axisY)]}; };
        if (m.kind != nc::MotionKind::Arc) {
            path.push_back({at(m.from), at(m.to)});
            continue;
        }
        // Arcs here lie in XY at one height.
        const int pieces = std::max(1, static_cast<int>(std::ceil(m.sweep / (2 * std::acos(1 - std::min(1.0, pixel / 100 / m.radius))))));
        nc::Point3 previous = m.from;
        for (int k = 1; k <= pieces; ++k) {
            const double angle = m.startAngle + (m.angleIncreasing ? 1 : -1) * m.sweep * k / pieces;
            nc::Point3 p = k == pieces ? m.to
                                       : nc::Point3{m.centre1 + m.radius * std::cos(angle), m.centre2 + m.radius * std::sin(angle), m.from[2]};
            path.push_back({at(previous), at(p)});
            previous = p;
        }
    }
    // A path retraced exactly (a trochoid seen from the side) once. Sorted by the C
    // library's qsort: this file is built unoptimised, and std::sort of a million chords
    // here took most of the suite's time.
    std::qsort(path.data(), path.size(), sizeof(Segment), [](const void* x, const void* y) {
        const Segment& a = *static_cast<const Segment*>(x);
        const Segment& b = *static_cast<const Segment*>(y);
        if (a.a.x != b.a.x) {
            return a.a.x < b.a.x ? -1 : 1;
        }
        if (a.a.y != b.a.y) {
            return a.a.y < b.a.y ? -1 : 1;
        }
        if (a.b.x != b.b.x) {
            return a.b.x < b.b.x ? -1 : 1;
        }
        return a.b.y < b.b.y ? -1 : a.b.y > b.b.y ? 1 : 0;
    });
    std::size_t kept = 0;
    for (const Segment& s : path) {
        if (kept == 0 || !(s.a == path[kept - 1].a && s.b == path[kept - 1].b)) {
            path[kept++] = s;
        }
    }
    path.resize(kept);
    return path;
}

class Fitted : public testing::TestWithParam<Shape> {};

TEST_P(Fitted, StaysWithinAPixelOfThePathBothWays)
{
    const std::vector<nc::Motion> moves = GetParam().moves();
    sheet::ToolpathPicture picture(kBudget);
    for (const nc::Motion& m : moves) {
        picture.add(m, 0);
    }
    picture.fit(kBudget);
    bool anyFill = false;
    const std::size_t size = picture.estimatedSize();
    struct Seen {
        sheet::ViewPicture* view;
        int axisX, axisY;
    };
    for (const Seen& seen : {Seen{&picture.top(), 0, 1}, Seen{&picture.front(), 0, 2}, Seen{&picture.side(), 1, 2}}) {
        sheet::ViewPicture* const view = seen.view;
        const int axisX = seen.axisX;
        const int axisY = seen.axisY;
        view->finish();
        const sheet::ViewPicture::Box& box = view->box();
        // A pixel at the widest the view is drawn, times the pixels the view says it allows
        // itself when even cells did not fit (its label then says so).
        const double pixel =
            view->pixelsAllowed() * std::max(box.maxX - box.minX, box.maxY - box.minY) / sheet::kWidestView;
        EXPECT_LE(view->pixelsAllowed(), GetParam().pixelsAllowed) << GetParam().name << " view " << axisX << axisY;
        // The drawing as the SVG writes it: coordinates to a tenth of a pixel.
        const double rounding = 0.05 * std::sqrt(2.0) * pixel;

        std::vector<Segment> drawn;
        for (const auto& stroke : view->strokes()) {
            Point previous = stroke.vertices.front().p;
            drawn.push_back({previous, previous});
            for (std::size_t i = 1; i < stroke.vertices.size(); ++i) {
                const auto& v = stroke.vertices[i];
                if (v.arcRadius > 0.0) {
                    flattenArc(previous, v.p, v.arcRadius, v.angleIncreasing, pixel, drawn);
                } else {
                    drawn.push_back({previous, v.p});
                }
                previous = v.p;
            }
        }
        // Whether a filled cell lies within d of p.
        const auto filledNear = [&](Point p, double d) {
            return std::any_of(view->fills().begin(), view->fills().end(), [&](const sheet::ViewPicture::Fill& f) {
                const double c = f.cells.cell();
                const auto column = static_cast<std::int64_t>(std::floor(p.x / c));
                const auto row = static_cast<std::int64_t>(std::floor(p.y / c));
                if (f.cells.contains(column, row)) {
                    return true;
                }
                // Plain arithmetic: this file is built unoptimised, and this loop runs for
                // every sample of every path.
                const auto reach = static_cast<std::int64_t>(std::ceil(d / c));
                const auto apart = [](double low, double high, double v) { return v < low ? low - v : v > high ? v - high : 0.0; };
                for (std::int64_t r = row - reach; r <= row + reach; ++r) {
                    const double dy = apart(static_cast<double>(r) * c, static_cast<double>(r + 1) * c, p.y);
                    for (std::int64_t k = column - reach; k <= column + reach; ++k) {
                        const double dx = apart(static_cast<double>(k) * c, static_cast<double>(k + 1) * c, p.x);
                        if (dx * dx + dy * dy <= d * d && f.cells.contains(k, r)) {
                            return true;
                        }
                    }
                }
                return false;
            });
        };
        anyFill = anyFill || !view->fills().empty();

        const std::vector<Segment> path = truePath(moves, axisX, axisY, pixel);
        const SegmentIndex drawnIndex(drawn, box, pixel);
        const SegmentIndex pathIndex(path, box, pixel);
        const double step = pixel / 2;  // a point between samples is within a quarter pixel of one
        const auto samples = [&](const Segment& s, const std::function<void(Point)>& f) {
            const auto n = static_cast<int>(std::ceil(std::hypot(s.b.x - s.a.x, s.b.y - s.a.y) / step));
            for (int k = 0; k <= n; ++k) {
                const double t = n == 0 ? 0.0 : static_cast<double>(k) / n;
                f({s.a.x + t * (s.b.x - s.a.x), s.a.y + t * (s.b.y - s.a.y)});
            }
        };
        const double allowed = pixel - step / 2 - rounding;
        std::size_t far = 0;
        Point worst{};
        for (const Segment& s : path) {
            samples(s, [&](Point p) {
                if (!filledNear(p, allowed) && !drawnIndex.within(p, allowed) && far++ == 0) {
                    worst = p;
                }
            });
        }
        EXPECT_EQ(far, 0u) << GetParam().name << " view " << axisX << axisY << ": path points away from the drawing, first at "
                           << worst.x << "," << worst.y;
        far = 0;
        for (const Segment& s : drawn) {
            samples(s, [&](Point p) {
                if (!pathIndex.within(p, allowed) && far++ == 0) {
                    worst = p;
                }
            });
        }
        EXPECT_EQ(far, 0u) << GetParam().name << " view " << axisX << axisY << ": drawn points away from the path, first at "
                           << worst.x << "," << worst.y;
        // A filled cell's every point is within a pixel when its centre is within a pixel
        // less half its diagonal.
        far = 0;
        for (const auto& fill : view->fills()) {
            const double c = fill.cells.cell();
            for (const auto& r : fill.cells.rectangles()) {
                for (std::int64_t row = r.firstRow; row <= r.lastRow; ++row) {
                    for (std::int64_t column = r.firstColumn; column <= r.lastColumn; ++column) {
                        const Point centre{(static_cast<double>(column) + 0.5) * c, (static_cast<double>(row) + 0.5) * c};
                        if (!pathIndex.within(centre, pixel - c * std::sqrt(0.5) - rounding) && far++ == 0) {
                            worst = centre;
                        }
                    }
                }
            }
        }
        EXPECT_EQ(far, 0u) << GetParam().name << " view " << axisX << axisY << ": filled cells away from the path (pixels allowed " << view->pixelsAllowed() << ", pixel " << pixel << ", cell " << (view->fills().empty() ? 0.0 : view->fills().front().cells.cell()) << "), first at "
                           << worst.x << "," << worst.y;
    }
    EXPECT_LE(size, kBudget);
    EXPECT_EQ(anyFill, GetParam().dense);
    // A picture that gave up the pixel says so where it is drawn, and one that did not says
    // nothing (drawn narrower than the widest, a pixel given up may still be less than one).
    const bool gaveUp = picture.top().pixelsAllowed() > 1 || picture.front().pixelsAllowed() > 1 ||
                        picture.side().pixelsAllowed() > 1;
    const std::string svg = sheet::pictureSvg(picture, 760, "p");
    if (!gaveUp) {
        EXPECT_EQ(svg.find("簡略図"), std::string::npos) << GetParam().name;
    }
    if (GetParam().name == "Tangle") {
        EXPECT_NE(svg.find("簡略図 (±"), std::string::npos);
    }
}

std::vector<nc::Motion> raster()
{
    // 1,000 passes of 100 moves over 100 x 50 mm, 0.05 mm apart, over a wavy surface: the
    // top view a solid area, the front view a band of crossing waves.
    std::vector<nc::Motion> moves;
    nc::Point3 at{0, 0, -1};
    for (int pass = 0; pass < 1000; ++pass) {
        for (int i = 1; i <= 100; ++i) {
            const double x = pass % 2 == 0 ? i : 100 - i;
            const nc::Point3 to{x, pass * 0.05, -1 - std::sin(x / 7 + pass * 0.003)};
            moves.push_back(feed(at, to));
            at = to;
        }
    }
    return moves;
}

std::vector<nc::Motion> zigRaster()
{
    // 5,000 passes of 100 mm, 0.005 mm apart, each cut one way and the rapid back: every
    // pass a stroke of its own.
    std::vector<nc::Motion> moves;
    for (int pass = 0; pass < 5000; ++pass) {
        const double y = pass * 0.005;
        moves.push_back(feed({0, y, -2}, {100, y, -2}));
        nc::Motion back = feed({100, y, -2}, {0, y + 0.005, -2});
        back.kind = nc::MotionKind::Rapid;
        moves.push_back(back);
    }
    return moves;
}

std::vector<nc::Motion> spikedRaster()
{
    // The raster, with a spike 3 mm out and back after every twentieth pass: sharp tips
    // that no neighbouring pass covers.
    std::vector<nc::Motion> moves = raster();
    std::vector<nc::Motion> spiked;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        spiked.push_back(moves[i]);
        if (i % 2000 == 99) {
            const nc::Point3 end = moves[i].to;
            const nc::Point3 tip{end[0] + (end[0] > 50 ? 3 : -3), end[1] + 0.01, end[2] - 1};
            spiked.push_back(feed(end, tip));
            spiked.push_back(feed(tip, end));
        }
    }
    return spiked;
}

std::vector<nc::Motion> tangle()
{
    // 20,000 lines between random points of a 100 mm square: no shape at a pixel fits the
    // budget, so the picture gives up the pixel, and says how far.
    std::mt19937 random(3);
    std::uniform_real_distribution<double> at(0.0, 100.0);
    std::vector<nc::Motion> moves;
    nc::Point3 from{50, 50, -1};
    for (int i = 0; i < 20000; ++i) {
        const nc::Point3 to{at(random), at(random), -1 - at(random) / 50};
        moves.push_back(feed(from, to));
        from = to;
    }
    return moves;
}

std::vector<nc::Motion> spiral()
{
    // 100 turns out to a radius of 25 mm, every move a hundredth of a turn less than a degree.
    std::vector<nc::Motion> moves;
    nc::Point3 at{1, 0, -2};
    for (int i = 1; i <= 100000; ++i) {
        const double turn = i / 1000.0;
        const double r = 1 + turn * 0.24;
        const nc::Point3 to{r * std::cos(2 * kPi * turn), r * std::sin(2 * kPi * turn), -2 - turn / 50};
        moves.push_back(feed(at, to));
        at = to;
    }
    return moves;
}

std::vector<nc::Motion> flatArcs()
{
    // A 30-turn spiral of 30,000 arcs of a thousandth of a turn each: each bulges from its
    // chord by a fraction of a pixel, so coarsening may draw them as lines.
    std::vector<nc::Motion> moves;
    const double step = 2 * kPi / 1000;
    double angle = 0.0;
    double radius = 20.0;
    nc::Point3 at{radius, 0, -1};
    for (int i = 0; i < 30000; ++i) {
        nc::Motion m;
        m.kind = nc::MotionKind::Arc;
        m.radius = radius;
        m.angleIncreasing = true;
        m.startAngle = angle;
        m.sweep = step;
        m.centre1 = at[0] - radius * std::cos(angle);
        m.centre2 = at[1] - radius * std::sin(angle);
        m.from = at;
        m.to = {m.centre1 + radius * std::cos(angle + step), m.centre2 + radius * std::sin(angle + step), -1};
        moves.push_back(m);
        at = m.to;
        angle = std::remainder(angle + step, 2 * kPi);
        radius += 0.0005;
    }
    return moves;
}

std::vector<nc::Motion> arcs()
{
    // Trochoidal slotting: 50,000 quarter turns on circles of 2 mm radius, each circle
    // 0.004 mm on from the last, each quarter after a feed to where it starts.
    std::vector<nc::Motion> moves;
    nc::Point3 at{2, 0, -1};
    for (int i = 0; i < 50000; ++i) {
        nc::Motion m;
        m.kind = nc::MotionKind::Arc;
        m.radius = 2;
        m.angleIncreasing = true;
        m.startAngle = std::remainder(kPi / 2 * i, 2 * kPi);
        m.sweep = kPi / 2;
        m.centre1 = 0.001 * i;
        m.centre2 = 0;
        m.from = {m.centre1 + m.radius * std::cos(m.startAngle), m.centre2 + m.radius * std::sin(m.startAngle), -1};
        m.to = {m.centre1 + m.radius * std::cos(m.startAngle + m.sweep), m.centre2 + m.radius * std::sin(m.startAngle + m.sweep), -1};
        moves.push_back(feed(at, m.from));
        moves.push_back(m);
        at = m.to;
    }
    return moves;
}

std::vector<nc::Motion> randomWalk()
{
    // 100,000 steps of 0.05 mm, the heading wandering at random, in a 100 x 100 mm pocket.
    std::mt19937 random(11);
    std::normal_distribution<double> turn(0.0, 0.08);
    std::vector<nc::Motion> moves;
    nc::Point3 at{50, 50, -1};
    double heading = 0.0;
    for (int i = 0; i < 100000; ++i) {
        heading += turn(random);
        nc::Point3 to{at[0] + 0.05 * std::cos(heading), at[1] + 0.05 * std::sin(heading), -1 - 0.5 * std::sin(i * 0.001)};
        if (to[0] < 0 || to[0] > 100 || to[1] < 0 || to[1] > 100) {
            heading += kPi;  // back off the wall
            continue;
        }
        moves.push_back(feed(at, to));
        at = to;
    }
    return moves;
}

INSTANTIATE_TEST_SUITE_P(Paths, Fitted,
                         // The raster's side view is 1,000 lines 0.7 px apart, each traced up and
                         // down: neither as lines nor as cells does it fit at a pixel of the widest
                         // view (drawn, it is a third of that wide).
                         testing::Values(Shape{"Raster", raster, true, 2}, Shape{"ZigRaster", zigRaster, true},
                                         Shape{"SpikedRaster", spikedRaster, true, 2}, Shape{"Spiral", spiral, false},
                                         Shape{"Arcs", arcs, true}, Shape{"FlatArcs", flatArcs, false},
                                         Shape{"RandomWalk", randomWalk, false},
                                         Shape{"Tangle", tangle, true, 16}),
                         [](const auto& info) { return info.param.name; });

}  // namespace

namespace {

// The rectangles the SVG draws hold every marked cell once and nothing else, and a cell
// twice the size is marked exactly when one of the four it holds was: on random lines
// either side of the origin, some crossing the clip.
TEST(CellFill, RectanglesHoldExactlyTheMarkedCellsAtEverySize)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<double> coordinate(-3.0, 3.0);
    for (int trial = 0; trial < 20; ++trial) {
        sheet::CellFill cells(0.0625);
        const int lines = trial % 2 == 0 ? 3 : 300;  // sparse, and dense enough to fill blocks
        std::vector<std::pair<Point, Point>> marked;
        for (int i = 0; i < lines; ++i) {
            marked.push_back({{coordinate(random), coordinate(random)}, {coordinate(random), coordinate(random)}});
            cells.addSegment(marked.back().first, marked.back().second, -2.5, -2.5, 2.5, 2.5);
        }
        // Every point of every line inside the clip is in a marked cell, blocks skipped or not.
        for (const auto& [a, b] : marked) {
            for (int k = 0; k <= 1000; ++k) {
                const Point p{a.x + (b.x - a.x) * k / 1000, a.y + (b.y - a.y) * k / 1000};
                if (std::fabs(p.x) < 2.49 && std::fabs(p.y) < 2.49) {
                    ASSERT_TRUE(cells.contains(static_cast<std::int64_t>(std::floor(p.x / cells.cell())),
                                               static_cast<std::int64_t>(std::floor(p.y / cells.cell()))))
                        << "trial " << trial << " at " << p.x << "," << p.y;
                }
            }
        }
        for (int size = 0; size < 3; ++size) {
            EXPECT_EQ(cells.rectangleCount(), cells.rectangles().size()) << "trial " << trial;
            const auto reach = static_cast<std::int64_t>(std::ceil(2.6 / cells.cell()));
            std::vector<int> drawn(static_cast<std::size_t>((2 * reach) * (2 * reach)), 0);
            for (const auto& r : cells.rectangles()) {
                for (std::int64_t row = r.firstRow; row <= r.lastRow; ++row) {
                    for (std::int64_t column = r.firstColumn; column <= r.lastColumn; ++column) {
                        ASSERT_TRUE(row >= -reach && row < reach && column >= -reach && column < reach);
                        ++drawn[static_cast<std::size_t>((row + reach) * 2 * reach + column + reach)];
                    }
                }
            }
            for (std::int64_t row = -reach; row < reach; ++row) {
                for (std::int64_t column = -reach; column < reach; ++column) {
                    EXPECT_EQ(drawn[static_cast<std::size_t>((row + reach) * 2 * reach + column + reach)],
                              cells.contains(column, row) ? 1 : 0)
                        << "trial " << trial << " cell " << cells.cell() << " at " << column << "," << row;
                }
            }
            const sheet::CellFill finer = cells;
            cells.doubleCell();
            for (std::int64_t row = -reach / 2; row < reach / 2; ++row) {
                for (std::int64_t column = -reach / 2; column < reach / 2; ++column) {
                    const bool any = finer.contains(2 * column, 2 * row) || finer.contains(2 * column + 1, 2 * row) ||
                                     finer.contains(2 * column, 2 * row + 1) ||
                                     finer.contains(2 * column + 1, 2 * row + 1);
                    EXPECT_EQ(cells.contains(column, row), any) << "trial " << trial << " at " << column << "," << row;
                }
            }
        }
    }
}

// A picture that is done keeps its cells as rectangles; one fitted again goes on from the
// very cells it had, whether it marks more lines or doubles its cells.
TEST(CellFill, CompactedCellsGoOnAsTheyWere)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> coordinate(-3.0, 3.0);
    const auto line = [&](sheet::CellFill& a, sheet::CellFill& b) {
        const Point p{coordinate(random), coordinate(random)};
        const Point q{coordinate(random), coordinate(random)};
        a.addSegment(p, q, -2.5, -2.5, 2.5, 2.5);
        b.addSegment(p, q, -2.5, -2.5, 2.5, 2.5);
    };
    const auto same = [](const sheet::CellFill& a, const sheet::CellFill& b) {
        const auto ra = a.rectangles();
        const auto rb = b.rectangles();
        ASSERT_EQ(ra.size(), rb.size());
        ASSERT_EQ(a.rectangleCount(), b.rectangleCount());
        for (std::size_t i = 0; i < ra.size(); ++i) {
            EXPECT_TRUE(ra[i].firstRow == rb[i].firstRow && ra[i].lastRow == rb[i].lastRow &&
                        ra[i].firstColumn == rb[i].firstColumn && ra[i].lastColumn == rb[i].lastColumn)
                << "rectangle " << i;
        }
    };
    for (const int lines : {0, 1, 40, 400}) {
        sheet::CellFill kept(0.0625);
        sheet::CellFill packed(0.0625);
        for (int i = 0; i < lines; ++i) {
            line(kept, packed);
        }
        packed.compact();
        EXPECT_EQ(packed.empty(), kept.empty());
        same(kept, packed);
        std::vector<std::int64_t> runs[2];
        kept.forEachRun([&](std::int64_t r, std::int64_t a, std::int64_t b) { runs[0].insert(runs[0].end(), {r, a, b}); });
        packed.forEachRun([&](std::int64_t r, std::int64_t a, std::int64_t b) { runs[1].insert(runs[1].end(), {r, a, b}); });
        EXPECT_TRUE(runs[0] == runs[1]) << lines << " lines";
        for (std::int64_t row = -45; row < 45; row += 3) {
            for (std::int64_t column = -45; column < 45; column += 2) {
                ASSERT_EQ(packed.contains(column, row), kept.contains(column, row)) << lines << " lines";
            }
        }
        // Marking more, compacting twice, doubling: the same cells all along.
        line(kept, packed);
        same(kept, packed);
        packed.compact();
        packed.compact();
        kept.doubleCell();
        packed.doubleCell();
        same(kept, packed);
        EXPECT_EQ(packed.cell(), kept.cell());
    }
}

// A long segment marked again (a thousand bores seen from the side, down and up) costs
// nothing, but one that only shares an end, or its rows, with a segment marked before is
// marked in full: the cells are those of each segment marked once.
TEST(CellFill, SegmentsMarkedAgainLeaveTheCellsOfEachMarkedOnce)
{
    std::mt19937 random(17);
    std::uniform_real_distribution<double> coordinate(-3.0, 3.0);
    std::vector<std::pair<Point, Point>> distinct;
    const Point hub{0.3, -2.0};
    for (int i = 0; i < 40; ++i) {
        const double x = coordinate(random);
        distinct.push_back({hub, {x, 2.0}});                 // a fan: the same lower end
        distinct.push_back({{x / 2, -2.0}, {x / 2 + 0.01, 2.0}});  // the same rows, other columns
        distinct.push_back({{x, coordinate(random)}, {x, coordinate(random)}});  // a bore
        // Spot, drill and tap at one place: three of the four ends alike.
        for (const double depth : {-0.5, -1.5, -2.2}) {
            distinct.push_back({{x, depth}, {x, 1.0}});
        }
    }
    std::vector<std::pair<Point, Point>> repeated;
    for (int pass = 0; pass < 3; ++pass) {
        for (const auto& [a, b] : distinct) {
            repeated.push_back(pass == 1 ? std::pair{b, a} : std::pair{a, b});
            if (random() % 4 == 0) {
                repeated.push_back({a, b});  // again at once
            }
        }
    }
    for (const int doubleAt : {-1, 50, 200}) {
        sheet::CellFill once(1.0 / 128);
        sheet::CellFill again(1.0 / 128);
        for (std::size_t i = 0; i < repeated.size(); ++i) {
            if (static_cast<int>(i) == doubleAt) {
                again.compact();
                again.doubleCell();
            }
            again.addSegment(repeated[i].first, repeated[i].second, -2.5, -2.5, 2.5, 2.5);
        }
        for (const auto& [a, b] : distinct) {
            once.addSegment(a, b, -2.5, -2.5, 2.5, 2.5);
        }
        if (doubleAt >= 0) {
            once.doubleCell();  // coverage only grows: doubling first or last marks alike
        }
        // After doubling, a segment twice the size of one marked before has its scaled ends:
        // only what this fill marked at its present size may be skipped. (Five of the long
        // ones marked first; clipped at twice the box, their ends double exactly.)
        for (int i = 0; i < 5; ++i) {
            const auto& [a, b] = distinct[static_cast<std::size_t>(6 * i + 1)];
            const Point a2{2 * a.x, 2 * a.y};
            const Point b2{2 * b.x, 2 * b.y};
            EXPECT_GT(again.addSegment(a2, b2, -5, -5, 5, 5), 0U) << "doubled at " << doubleAt;
            once.addSegment(a2, b2, -5, -5, 5, 5);
            EXPECT_EQ(again.addSegment(a2, b2, -5, -5, 5, 5), 0U) << "marked again at once";
        }
        std::vector<std::int64_t> runs[2];
        once.forEachRun([&](std::int64_t r, std::int64_t a, std::int64_t b) { runs[0].insert(runs[0].end(), {r, a, b}); });
        again.forEachRun([&](std::int64_t r, std::int64_t a, std::int64_t b) { runs[1].insert(runs[1].end(), {r, a, b}); });
        EXPECT_TRUE(runs[0] == runs[1]) << "doubled at " << doubleAt;
        // Bores are columns of rows alike: counted without their runs, as many as made.
        EXPECT_EQ(again.rectangleCount(), again.rectangles().size()) << "doubled at " << doubleAt;
    }
}

// Cells as plain (column, row) pairs, to check a fill against.
using Cells = std::set<std::pair<std::int64_t, std::int64_t>>;

Cells cellsOf(const sheet::CellFill& fill)
{
    Cells cells;
    fill.forEachRun([&](std::int64_t row, std::int64_t first, std::int64_t last) {
        for (std::int64_t c = first; c <= last; ++c) {
            cells.insert({c, row});
        }
    });
    return cells;
}

// Each cell as the cell twice the size that holds it.
Cells coarser(const Cells& cells)
{
    Cells result;
    for (const auto& [c, r] : cells) {
        result.insert({c >> 1, r >> 1});
    }
    return result;
}

// Slanted segments mark, in each row they cross, the cells between where they cross its
// lower and upper edges (their ends in the first and last rows), and nothing else: long
// and short, steep and flat (spans over several words of a row), either side of the
// origin, growing the rows both ways, dense enough that blocks fill and are passed over,
// with the cells doubled midway and kept as rectangles and brought back. Against a plain
// set of cells.
TEST(CellFill, SlantedSegmentsMarkTheCellsBetweenTheirRowCrossings)
{
    std::mt19937 random(29);
    for (const int doubleAt : {-1, 600}) {
        double cell = 1.0 / 64;
        sheet::CellFill cells(cell);
        Cells expected;
        // The cell a scaled coordinate lies in, as marking reckons it (|u| < 2^31).
        const auto at = [](double u) {
            return static_cast<std::int64_t>(u + 0x1p31) - static_cast<std::int64_t>(0x1p31);
        };
        const auto mark = [&](Point a, Point b) {
            cells.addSegment(a, b, -100, -100, 100, 100);
            // The far end as the clip's parameter 1 gives it.
            double u0 = a.x / cell, v0 = a.y / cell;
            double u1 = (a.x + (b.x - a.x)) / cell, v1 = (a.y + (b.y - a.y)) / cell;
            if (v0 > v1) {
                std::swap(u0, u1);
                std::swap(v0, v1);
            }
            const std::int64_t first = at(v0), last = at(v1);
            const double slope = first == last ? 0.0 : (u1 - u0) / (v1 - v0);
            const auto crossing = [&](std::int64_t row) {
                const double v = static_cast<double>(row);
                return v <= v0 ? at(u0) : v >= v1 ? at(u1) : at(u0 + (v - v0) * slope);
            };
            for (std::int64_t row = first; row <= last; ++row) {
                const std::int64_t c0 = first == last ? at(std::min(u0, u1)) : crossing(row);
                const std::int64_t c1 = first == last ? at(std::max(u0, u1)) : crossing(row + 1);
                for (std::int64_t c = std::min(c0, c1); c <= std::max(c0, c1); ++c) {
                    expected.insert({c, row});
                }
            }
        };
        std::uniform_real_distribution<double> coordinate(-4.0, 4.0);
        std::uniform_real_distribution<double> nudge(-0.3, 0.3);
        for (int i = 0; i < 1200; ++i) {
            if (i == doubleAt) {
                cells.compact();
                cells.doubleCell();
                cell *= 2;
                expected = coarser(expected);
            }
            const Point a{coordinate(random), coordinate(random)};
            switch (i % 4) {
            case 0:  // long, anywhere
                mark(a, {coordinate(random), coordinate(random)});
                break;
            case 1:  // short
                mark(a, {a.x + nudge(random), a.y + nudge(random)});
                break;
            case 2:  // flat: a row's span runs over words
                mark(a, {coordinate(random), a.y + nudge(random) / 8});
                break;
            default:  // in a corner, over and over: its blocks fill
                mark({a.x / 12 + 4, a.y / 12 + 4}, {coordinate(random) / 12 + 4, coordinate(random) / 12 + 4});
            }
        }
        const Cells got = cellsOf(cells);
        EXPECT_TRUE(got == expected) << "doubled at " << doubleAt << ": " << got.size() << " cells, expected "
                                     << expected.size();
    }
}

// Bores seen from the side, pecked again and again (overlapping, adjacent, within one
// marked, apart in one column, in more columns than are remembered), mark just the cells
// of each row they span: against a plain set of cells, with the cells doubled midway
// and blocks filled beside them (marking skips what it finds full).
TEST(CellFill, BoresAndTheirPecksMarkTheirRowsAndNoMore)
{
    constexpr double kCell = 1.0 / 64;
    std::mt19937 random(23);
    std::uniform_int_distribution<int> columnOf(-300, 300);  // 601 columns: slots are shared
    std::uniform_int_distribution<int> rowOf(-400, 400);
    std::uniform_int_distribution<int> within(0, 3);         // where in its cell an end lies
    for (const int doubleAt : {-1, 700}) {
        sheet::CellFill cells(kCell);
        Cells expected;
        double cell = kCell;
        const auto mark = [&](Point a, Point b) {
            cells.addSegment(a, b, -100, -100, 100, 100);
            // Upright or level, ends at quarters of the finest cell: the floor of each is exact at any size.
            const auto at = [&](double u) { return static_cast<std::int64_t>(std::floor(u / cell)); };
            for (std::int64_t row = at(std::min(a.y, b.y)); row <= at(std::max(a.y, b.y)); ++row) {
                for (std::int64_t column = at(std::min(a.x, b.x)); column <= at(std::max(a.x, b.x)); ++column) {
                    expected.insert({column, row});
                }
            }
        };
        for (int i = 0; i < 1500; ++i) {
            if (i == doubleAt) {
                cells.doubleCell();
                cell *= 2;
                expected = coarser(expected);
            }
            const double x = (columnOf(random) * 4 + within(random)) * kCell / 4;
            const int from = rowOf(random);
            const double y0 = (from * 4 + within(random)) * kCell / 4;
            if (i % 5 == 4) {
                // A solid square: blocks of 8 by 8 fill and are passed over after.
                for (int k = 0; k < 24; ++k) {
                    mark({x, y0 + k * kCell}, {x + 24 * kCell, y0 + k * kCell});
                }
                continue;
            }
            // A bore and its pecks downwards, each a little into the last; sometimes again.
            const int pecks = 1 + static_cast<int>(random() % 6);
            double top = y0;
            for (int p = 0; p < pecks; ++p) {
                const double bottom = top - (1 + static_cast<int>(random() % 40)) * kCell / 4;
                mark({x, top}, {x, bottom});
                top = bottom + (static_cast<int>(random() % 8)) * kCell / 4;
            }
            if (random() % 3 == 0) {
                mark({x, y0 - 2 * kCell}, {x, y0 + 5 * kCell});  // reaching past the last's top
            }
        }
        const Cells got = cellsOf(cells);
        EXPECT_TRUE(got == expected) << "doubled at " << doubleAt << ": " << got.size() << " cells, expected "
                                     << expected.size();
        // The rectangles drawn (rows like the one below passed over) hold each cell once.
        Cells drawn;
        std::size_t area = 0;
        for (const auto& r : cells.rectangles()) {
            for (std::int64_t row = r.firstRow; row <= r.lastRow; ++row) {
                for (std::int64_t c = r.firstColumn; c <= r.lastColumn; ++c) {
                    drawn.insert({c, row});
                    ++area;
                }
            }
        }
        EXPECT_TRUE(drawn == expected && area == expected.size()) << "doubled at " << doubleAt;
        EXPECT_EQ(cells.rectangleCount(), cells.rectangles().size()) << "doubled at " << doubleAt;
    }
}

// Holes merged as they come, a batch at a time (a picture shrinking again and again as a
// plate is drilled), keep the very holes of merging them all at once: the first of each
// cell, in their order.
TEST(ViewPicture, HolesMergedBatchByBatchAsAllAtOnce)
{
    std::mt19937 random(23);
    std::uniform_int_distribution<int> step(0, 400);
    std::vector<std::array<double, 2>> holes;
    while (holes.size() < 4000) {
        const double x = step(random) * 0.05;  // within 20 mm of the corner: cells hold several
        const double y = step(random) * 0.05;
        // Far from the hole before: no view drops a hole as a repeat of the last one.
        if (holes.empty() || std::fabs(holes.back()[0] - x) > 5 || std::fabs(holes.back()[1] - y) > 5) {
            holes.push_back({x, y});
        }
    }
    // A fixed box, and cells of several holes' spacing: both merge in the same cells.
    const auto frame = [](sheet::ViewPicture& view) {
        view.hole(1, -1.0, -1.0, -1.0);
        view.hole(1, 101.0, 101.0, 101.0);
        for (int i = 0; i < 3; ++i) {
            view.giveUpPixel();
        }
    };
    const auto mergeAll = [](sheet::ViewPicture& view) {
        for (int round = 0; round < 100 && view.coarsen(); ++round) {
        }
    };
    sheet::ViewPicture once;
    frame(once);
    sheet::ViewPicture batches;
    frame(batches);
    for (std::size_t i = 0; i < holes.size(); ++i) {
        once.hole(static_cast<std::uint8_t>(i % 3), holes[i][0], holes[i][1], holes[i][1]);
        batches.hole(static_cast<std::uint8_t>(i % 3), holes[i][0], holes[i][1], holes[i][1]);
        if (i % 500 == 499) {
            mergeAll(batches);
        }
        if (i == 2000) {
            batches.compact();  // what it knew of the merged holes goes; they merge alike
        }
        if (i == 3000) {
            // Cells twice the size from here on: merged at the one size, then at the other,
            // the holes are those of the larger alone (its cells hold the smaller).
            once.giveUpPixel();
            batches.giveUpPixel();
        }
    }
    mergeAll(once);
    mergeAll(batches);
    ASSERT_LT(once.holes().size(), holes.size() / 2);  // cells held many holes
    ASSERT_EQ(batches.holes().size(), once.holes().size());
    for (std::size_t i = 0; i < once.holes().size(); ++i) {
        const auto& a = once.holes()[i];
        const auto& b = batches.holes()[i];
        ASSERT_TRUE(a.x == b.x && a.y == b.y && a.y2 == b.y2 && a.colour == b.colour) << "hole " << i;
    }
}

// Section pictures past their budget are kept within it on a thread of their own while
// the next section is drawn: the very pictures of keeping them where the motions come.
TEST(SectionPictures, KeptOnTheirOwnThreadAsWhereTheMotionsCome)
{
    // 24 sections of 4,000 random lines at random depths: about three times the budget.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> at(0.0, 100.0);
    std::vector<nc::Motion> moves;
    nc::Point3 from{50, 50, -1};
    for (int section = 0; section < 24; ++section) {
        for (int i = 0; i < 4000; ++i) {
            const nc::Point3 to{at(random), at(random), -1 - at(random) / 50};
            moves.push_back(feed(from, to));
            moves.back().tool = section % 3 + 1;
            from = to;
        }
        nc::Motion end;
        end.kind = nc::MotionKind::SectionEnd;
        end.keep = true;
        moves.push_back(end);
    }
    // Drawn alone, the sections take more than the budget: the keeper has work to do.
    std::size_t alone = 0;
    sheet::ToolpathPicture one(sheet::SheetPictures::kPictureBudget);
    for (const nc::Motion& m : moves) {
        if (m.kind == nc::MotionKind::SectionEnd) {
            one.compact();
            alone += one.estimatedSize();
            one = sheet::ToolpathPicture(sheet::SheetPictures::kPictureBudget);
        } else {
            one.add(m, 0);
        }
    }
    ASSERT_GT(alone, sheet::SheetPictures::kSectionPicturesBudget);
    std::vector<std::string> drawn[2];
    std::size_t size[2] = {0, 0};
    for (const auto keeper : {sheet::SheetPictures::Keeper::OwnThread, sheet::SheetPictures::Keeper::Inline}) {
        const auto k = static_cast<std::size_t>(keeper == sheet::SheetPictures::Keeper::Inline);
        sheet::SheetPictures pictures(keeper);
        for (const nc::Motion& m : moves) {
            pictures.motion(m);
        }
        for (sheet::ToolpathPicture& picture : pictures.sectionPictures()) {
            size[k] += picture.estimatedSize();
            drawn[k].push_back(sheet::pictureSvg(picture, 560, "s", true));
        }
    }
    EXPECT_EQ(drawn[0].size(), 24u);
    EXPECT_LE(size[1], sheet::SheetPictures::kSectionPicturesBudget);
    EXPECT_EQ(size[0], size[1]);
    EXPECT_TRUE(drawn[0] == drawn[1]);
}

// The section pictures fitted and drawn on two threads are the very drawings of fitting
// and drawing them one after another; an empty picture and a count past the pictures
// give nothing.
TEST(SectionPictures, DrawnOnTwoThreadsAsOneAfterAnother)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> at(0.0, 100.0);
    const auto make = [&random, &at] {
        std::vector<sheet::ToolpathPicture> pictures;
        for (int p = 0; p < 7; ++p) {
            pictures.emplace_back(sheet::SheetPictures::kPictureBudget);
            nc::Point3 from{50, 50, -1};
            for (int i = 0; p != 3 && i < 1500 + 200 * p; ++i) {
                const nc::Point3 to{at(random), at(random), -1 - at(random) / 50};
                pictures.back().add(feed(from, to), static_cast<std::uint8_t>(p));
                from = to;
            }
        }
        return pictures;
    };
    const std::size_t budget = sheet::SheetPictures::kPictureBudget / 8;
    const auto draw = [](sheet::ToolpathPicture& picture, std::size_t i) {
        return sheet::pictureSvg(picture, 560, "s" + std::to_string(i), true);
    };
    std::vector<std::string> drawn[2];
    for (const bool shared : {false, true}) {
        random.seed(11);
        std::vector<sheet::ToolpathPicture> pictures = make();
        ASSERT_GT(pictures[0].estimatedSize(), budget);
        ASSERT_TRUE(pictures[3].empty());
        sheet::SectionDrawings drawings(pictures, shared ? pictures.size() + 2 : 0, budget, draw);
        for (std::size_t i = 0; i < pictures.size() + 2; ++i) {
            if (shared) {
                drawn[1].push_back(drawings.take(i));
            } else if (i < pictures.size() && !pictures[i].empty()) {
                pictures[i].fit(budget);
                drawn[0].push_back(draw(pictures[i], i));
                pictures[i].compact();
            } else {
                drawn[0].emplace_back();
            }
        }
    }
    EXPECT_EQ(std::count(drawn[0].begin(), drawn[0].end(), std::string()), 3);
    EXPECT_TRUE(drawn[0] == drawn[1]);
}

}  // namespace
