// The toolpath pictures: the path simplifier's error bound, and what cannot be drawn.
#include "nc/Markers.h"
#include "sheet/PictureSvg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace {

using Point = sheet::PathSimplifier::Point;

double distanceToSegment(Point p, Point a, Point b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 == 0.0 ? 0.0 : ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Every input point lies within the tolerance of the kept polyline, and it ends where
// the input did.
void expectWithinTolerance(const std::vector<Point>& input, double tolerance)
{
    sheet::PathSimplifier simplifier(tolerance);
    std::vector<Point> kept{input.front()};
    simplifier.start(input.front(), kept);
    for (std::size_t i = 1; i < input.size(); ++i) {
        simplifier.add(input[i], kept);
    }
    simplifier.finish(kept);
    ASSERT_EQ(kept.back(), input.back());
    for (const Point& p : input) {
        double best = std::hypot(p.x - kept[0].x, p.y - kept[0].y);
        for (std::size_t s = 0; s + 1 < kept.size(); ++s) {
            best = std::min(best, distanceToSegment(p, kept[s], kept[s + 1]));
        }
        ASSERT_LE(best, tolerance * (1 + 1e-9)) << p.x << "," << p.y;
    }
}

TEST(PathSimplifier, ErrorBoundHoldsOnArcsZigzagsAndNoise)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (const double tolerance : {0.001, 0.05, 0.5}) {
        std::vector<Point> arc;
        for (int i = 0; i <= 2000; ++i) {
            const double a = 3 * std::acos(-1.0) * i / 2000;  // one and a half turns
            arc.push_back({40 * std::cos(a), 40 * std::sin(a)});
        }
        expectWithinTolerance(arc, tolerance);

        std::vector<Point> zigzag;
        for (int i = 0; i <= 500; ++i) {
            zigzag.push_back({i * 0.1, (i % 2) * tolerance * 3});
        }
        expectWithinTolerance(zigzag, tolerance);

        // Back and forth along one line: no point may be lost behind the anchor.
        std::vector<Point> retrace;
        for (int i = 0; i <= 400; ++i) {
            retrace.push_back({(i % 50) * 1.0 * (((i / 50) % 2) ? -1 : 1), 0.0});
        }
        expectWithinTolerance(retrace, tolerance);

        std::vector<Point> noise{{0, 0}};
        for (int i = 0; i < 3000; ++i) {
            noise.push_back({noise.back().x + 0.3 + 0.01 * unit(random), noise.back().y + tolerance * unit(random)});
        }
        expectWithinTolerance(noise, tolerance);
    }
}

TEST(PathSimplifier, StraightRunsCollapse)
{
    sheet::PathSimplifier simplifier(0.01);
    std::vector<Point> kept;
    simplifier.start({0, 0}, kept);
    for (int i = 1; i <= 1000; ++i) {
        simplifier.add({i * 0.5, i * 0.25}, kept);
    }
    simplifier.finish(kept);
    EXPECT_EQ(kept, (std::vector<Point>{{500, 250}}));
}

// Coordinates no machine reaches, and numbers that are no numbers, are not drawn.
TEST(ToolpathPicture, SkipsWhatCannotBeDrawn)
{
    sheet::ToolpathPicture picture(4096);
    nc::Motion m;
    m.kind = nc::MotionKind::Feed;
    const double inf = std::numeric_limits<double>::infinity();
    for (const double bad : {std::numeric_limits<double>::quiet_NaN(), inf, -inf, 1e300, nc::kUnknownPosition}) {
        m.from[0] = 0;
        m.to[0] = bad;
        picture.add(m, 0);
    }
    EXPECT_TRUE(picture.empty());
    m.to[0] = 5;
    picture.add(m, 0);
    EXPECT_FALSE(picture.empty());
    const std::string svg = sheet::pictureSvg(picture, 400, {});
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
}

}  // namespace
