// The toolpath pictures: the path simplifier's error bound, and what cannot be drawn.
#include "nc/Markers.h"
#include "sheet/PictureSvg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Point = sheet::PathSimplifier::Point;

void addMove(sheet::ToolpathPicture& picture, nc::MotionKind kind, nc::Point3 from, nc::Point3 to)
{
    nc::Motion m;
    m.kind = kind;
    m.from = from;
    m.to = to;
    picture.add(m, 0);
}

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
    for (const double bad : {std::numeric_limits<double>::quiet_NaN(), inf, -inf, 1e300}) {
        m.from[0] = 0;
        m.to[0] = bad;
        picture.add(m, 0);
    }
    EXPECT_TRUE(picture.empty());
    m.to[0] = 5;
    picture.add(m, 0);
    EXPECT_FALSE(picture.empty());
    const std::string svg = sheet::pictureSvg(picture, 400);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
}

struct SvgArc {
    double x1, y1, r, x2, y2;
    bool sweep;
};

// The arcs of the first path in an SVG text, with the point each starts from.
std::vector<SvgArc> arcsOf(const std::string& svg)
{
    std::vector<SvgArc> arcs;
    const std::size_t path = svg.find(" d=\"M");
    std::istringstream in(svg.substr(path + 4, svg.find('"', path + 5) - path - 4));
    char command = 0;
    double x = 0;
    double y = 0;
    in >> command >> x >> y;
    while (in >> command) {
        if (command == 'A') {
            SvgArc a{x, y, 0, 0, 0, false};
            double ry = 0;
            int rotation = 0;
            int large = 0;
            int sweep = 0;
            in >> a.r >> ry >> rotation >> large >> sweep >> a.x2 >> a.y2;
            a.sweep = sweep != 0;
            arcs.push_back(a);
            x = a.x2;
            y = a.y2;
        } else {
            in >> x >> y;
        }
    }
    return arcs;
}

// Where a browser puts an arc's centre, reckoned from the written ends, radius and flags
// as SVG does (a radius too short for the chord is scaled up).
std::pair<double, double> svgCentre(const SvgArc& a)
{
    const double hx = (a.x1 - a.x2) / 2;
    const double hy = (a.y1 - a.y2) / 2;
    double r = a.r;
    const double lambda = (hx * hx + hy * hy) / (r * r);
    if (lambda > 1) {
        r *= std::sqrt(lambda);
    }
    const double q = std::sqrt(std::max(0.0, (r * r - hx * hx - hy * hy) / (hx * hx + hy * hy)));
    const double sign = a.sweep ? 1.0 : -1.0;  // the large-arc flag is always 0
    return {sign * q * hy + (a.x1 + a.x2) / 2, -sign * q * hx + (a.y1 + a.y2) / 2};
}

// Arcs are drawn on their own circle, within half a pixel: near a half circle, the
// rounding of the written radius and ends once moved the drawn centre by pixels; an end
// off the circle once made a circle of its own.
TEST(ToolpathPicture, ArcsStayOnTheirCircle)
{
    for (const double end : {10.0, 10.031}) {  // on the circle, then off it
        sheet::ToolpathPicture picture(1 << 20);
        nc::Motion arc;
        arc.kind = nc::MotionKind::Arc;
        arc.from = {-10, 0, 0};
        const double sweep = 179.0 / 180.0 * std::acos(-1.0);
        arc.to = {10 * std::cos(std::acos(-1.0) - sweep) * end / 10, 10 * std::sin(std::acos(-1.0) - sweep) * end / 10, 0};
        arc.centre1 = 0;
        arc.centre2 = 0;
        arc.radius = 10;
        arc.startAngle = std::acos(-1.0);
        arc.sweep = sweep;
        arc.angleIncreasing = false;
        picture.add(arc, 0);
        const std::string svg = sheet::pictureSvg(picture, 760);
        const std::vector<SvgArc> arcs = arcsOf(svg);
        ASSERT_GE(arcs.size(), 2u) << svg;
        // The true centre in pixels: equally far from the start and the joints.
        const SvgArc& first = arcs.front();
        const SvgArc& last = arcs.back();
        const double ax = first.x1, ay = first.y1, bx = first.x2, by = first.y2, cx = last.x2, cy = last.y2;
        const double d = 2 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
        const double ux = ((ax * ax + ay * ay) * (by - cy) + (bx * bx + by * by) * (cy - ay) + (cx * cx + cy * cy) * (ay - by)) / d;
        const double uy = ((ax * ax + ay * ay) * (cx - bx) + (bx * bx + by * by) * (ax - cx) + (cx * cx + cy * cy) * (bx - ax)) / d;
        for (const SvgArc& a : arcs) {
            const auto [x, y] = svgCentre(a);
            EXPECT_LT(std::hypot(x - ux, y - uy), 0.5) << "end " << end;
        }
        EXPECT_EQ(svg.find(" L", svg.find(" d=\"M")) < svg.find("\"/>", svg.find(" d=\"M")), end != 10.0) << svg;
    }
}

// A view's label stands above the area its drawing may reach (the start mark included).
TEST(ToolpathPicture, LabelsStayOffTheDrawing)
{
    sheet::ToolpathPicture picture(1 << 20);
    picture.markStart(0, 50, 10);
    addMove(picture, nc::MotionKind::Feed, {0, 50, 10}, {100, 50, 0});
    const std::string svg = sheet::pictureSvg(picture, 600);
    for (std::size_t label = svg.find("<text class=\"label\" x=\""); label != std::string::npos;
         label = svg.find("<text class=\"label\" x=\"", label + 1)) {
        const std::size_t clip = svg.find("<clipPath", label);
        if (clip == std::string::npos || svg.find("</text>", label) > clip) {
            continue;  // a scale bar's or the legend's text
        }
        const double labelY = std::stod(svg.substr(svg.find("y=\"", label) + 3));
        const double clipY = std::stod(svg.substr(svg.find("y=\"", clip) + 3));
        EXPECT_LE(labelY + 3, clipY) << svg.substr(label, 200);
    }
}

}  // namespace

namespace {

// A view's drawing area as its clip rectangle gives it, the clip margin taken off.
struct Area {
    double left, top, width, height;
};

Area clipArea(const std::string& svg, const std::string& id)
{
    const std::size_t at = svg.find("<clipPath id=\"" + id + "\"><rect");
    EXPECT_NE(at, std::string::npos) << id;
    if (at == std::string::npos) {
        return {};
    }
    const auto value = [&](const std::string& name) {
        return std::stod(svg.substr(svg.find(name + "=\"", at) + name.size() + 2));
    };
    constexpr double kClip = 12.0;
    return {value("x") + kClip, value("y") + kClip, value("width") - 2 * kClip, value("height") - 2 * kClip};
}

// Third angle projection on one scale: the top view above the front view with X lined up,
// the right side view beside the front view with Z lined up; a section's front and side
// views frame all the Z it travels, the retract included.
TEST(ToolpathPicture, ThreeViewsOnOneScaleLinedUp)
{
    for (const bool wholeZ : {false, true}) {
        sheet::ToolpathPicture picture(1 << 20);
        addMove(picture, nc::MotionKind::Rapid, {0, 0, 50}, {0, 0, 5});
        addMove(picture, nc::MotionKind::Feed, {0, 0, 5}, {0, 0, -5});
        addMove(picture, nc::MotionKind::Feed, {0, 0, -5}, {100, 40, -5});
        addMove(picture, nc::MotionKind::Rapid, {100, 40, -5}, {100, 40, 50});
        const std::string svg = sheet::pictureSvg(picture, 760, "p", wholeZ);
        const Area top = clipArea(svg, "pt");
        const Area front = clipArea(svg, "pf");
        const Area side = clipArea(svg, "ps");
        const double scale = top.width / 100;
        const double z = wholeZ ? 55 : 10;
        EXPECT_NEAR(top.height, 40 * scale, 0.2);
        EXPECT_NEAR(front.left, top.left, 0.1);
        EXPECT_NEAR(front.width, top.width, 0.2);
        EXPECT_GT(front.top, top.top + top.height);
        EXPECT_NEAR(front.height, z * scale, 0.2) << "wholeZ " << wholeZ;
        EXPECT_NEAR(side.top, front.top, 0.1);
        EXPECT_NEAR(side.height, front.height, 0.2);
        EXPECT_NEAR(side.width, 40 * scale, 0.2);
        EXPECT_GT(side.left, front.left + front.width);
        EXPECT_NE(svg.find("右側面 (YZ)"), std::string::npos);
    }
}

}  // namespace

namespace {

// A section's frame holds its retracts but not where its first move came from: the start
// point 200 above, drawn from there, would leave the cuts a sliver.
TEST(ToolpathPicture, ASectionFramesItsTravelNotWhereItCameFrom)
{
    sheet::ToolpathPicture picture(1 << 20);
    addMove(picture, nc::MotionKind::Rapid, {0, 0, 200}, {0, 0, 5});
    addMove(picture, nc::MotionKind::Feed, {0, 0, 5}, {100, 40, -5});
    addMove(picture, nc::MotionKind::Rapid, {100, 40, -5}, {100, 40, 20});
    const std::string svg = sheet::pictureSvg(picture, 760, "p", true);
    const Area top = clipArea(svg, "pt");
    const Area front = clipArea(svg, "pf");
    EXPECT_NEAR(front.height, 25 * top.width / 100, 0.2);
}

// A section that only drills is a line in the front view: the side view's label still
// starts after the front view's, start point note and all.
TEST(ToolpathPicture, LabelsOfNarrowViewsDoNotMeet)
{
    sheet::ToolpathPicture picture(1 << 20);
    picture.markStart(0, 0, 200);
    addMove(picture, nc::MotionKind::Feed, {10, 5, 2}, {10, 5, -20});
    const std::string svg = sheet::pictureSvg(picture, 560, "p");
    const auto label = [&](const std::string& name) {
        const std::size_t text = svg.find(">" + name);
        const std::size_t open = svg.rfind("<text", text);
        const double x = std::stod(svg.substr(svg.find("x=\"", open) + 3));
        std::size_t characters = 0;
        for (std::size_t i = text + 1; i < svg.find("</text>", text); ++i) {
            characters += (static_cast<unsigned char>(svg[i]) & 0xC0) != 0x80;
        }
        return std::pair{x, characters};
    };
    const auto [frontX, frontCharacters] = label("正面 (XZ)");
    const auto [sideX, sideCharacters] = label("右側面 (YZ)");
    EXPECT_NE(svg.find("スタート点は枠外"), std::string::npos);
    EXPECT_GE(sideX - frontX, 7.0 * static_cast<double>(frontCharacters)) << svg;
    EXPECT_GT(sideCharacters, 0u);
}

// Moves back and forth at one depth are one level line in the front and side views: drawn
// over all the stretch they cover, in a few points however many moves there are.
TEST(ToolpathPicture, MovesAtOneDepthAreOneLineInTheSideViews)
{
    sheet::ToolpathPicture picture(1 << 20);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> coordinate(0.0, 100.0);
    nc::Point3 at{50, 50, -2};
    double lowX = 50, highX = 50, lowY = 50, highY = 50;
    for (int i = 0; i < 10000; ++i) {
        nc::Motion m;
        m.kind = nc::MotionKind::Feed;
        m.from = at;
        m.to = {coordinate(random), coordinate(random), -2};
        picture.add(m, 0);
        at = m.to;
        lowX = std::min(lowX, at[0]);
        highX = std::max(highX, at[0]);
        lowY = std::min(lowY, at[1]);
        highY = std::max(highY, at[1]);
    }
    for (const auto& [view, low, high] : {std::tuple{&picture.front(), lowX, highX}, std::tuple{&picture.side(), lowY, highY}}) {
        view->finish();
        ASSERT_EQ(view->strokes().size(), 1u);
        const auto& vertices = view->strokes().front().vertices;
        EXPECT_LE(vertices.size(), 4u);
        double drawnLow = vertices.front().p.x, drawnHigh = drawnLow;
        for (const auto& v : vertices) {
            EXPECT_EQ(v.p.y, -2.0);
            drawnLow = std::min(drawnLow, v.p.x);
            drawnHigh = std::max(drawnHigh, v.p.x);
        }
        EXPECT_EQ(drawnLow, low);
        EXPECT_EQ(drawnHigh, high);
        EXPECT_EQ(vertices.back().p.x, view == &picture.front() ? at[0] : at[1]);
    }
}

// A move drawn there and back reads as a solid cut: a move that only goes one way, in
// any direction, is drawn one way in every view.
TEST(ToolpathPicture, AMoveOneWayIsNeverDrawnBack)
{
    for (const nc::MotionKind kind : {nc::MotionKind::Rapid, nc::MotionKind::Feed}) {
        for (const nc::Point3 to : {nc::Point3{0, 50, 10}, nc::Point3{100, 50, 10}, nc::Point3{50, 0, 10},
                                    nc::Point3{50, 100, 10}, nc::Point3{50, 50, 0}, nc::Point3{50, 50, 20}}) {
            sheet::ToolpathPicture picture(1 << 20);
            addMove(picture, kind, {50, 50, 10}, to);
            for (sheet::ViewPicture* view : {&picture.top(), &picture.front(), &picture.side()}) {
                view->finish();
                for (const auto& stroke : view->strokes()) {
                    const auto& v = stroke.vertices;
                    for (std::size_t i = 2; i < v.size(); ++i) {
                        const double turnX = (v[i].p.x - v[i - 1].p.x) * (v[i - 1].p.x - v[i - 2].p.x);
                        const double turnY = (v[i].p.y - v[i - 1].p.y) * (v[i - 1].p.y - v[i - 2].p.y);
                        EXPECT_GE(turnX, 0.0) << "to " << to[0] << "," << to[1] << "," << to[2];
                        EXPECT_GE(turnY, 0.0) << "to " << to[0] << "," << to[1] << "," << to[2];
                    }
                }
            }
        }
    }
}

}  // namespace

