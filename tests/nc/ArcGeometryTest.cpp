#include "nc/IsoNcAnalyzer.h"
#include "tests/nc/AnalyzerSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <limits>
#include <string>

namespace {

using nc::IsoNcAnalyzer;

constexpr double kEmptyMin = nc::kExtentStartMin;
constexpr double kEmptyMax = nc::kExtentStartMax;
const double kR6 = std::sqrt(1.736 * 1.736 + 9.848 * 9.848);

struct ArcCase {
    std::string name;
    std::string start;  // start block
    std::string line;
    double centre1, centre2, radius, length;
    double minX, maxX, minY, maxY, minZ, maxZ;
};

class Arcs : public testing::TestWithParam<ArcCase> {};

TEST_P(Arcs, CentreLengthAndTheExtremesPassed)
{
    const ArcCase& c = GetParam();
    IsoNcAnalyzer a;
    nctest::startRun(a, c.start);
    a.setLine("F100");
    a.setLine(c.line);
    EXPECT_NEAR(a.arcCenterX(), c.centre1, 1e-12);
    EXPECT_NEAR(a.arcCenterY(), c.centre2, 1e-12);
    EXPECT_NEAR(a.arcRadius(), c.radius, 1e-12);
    EXPECT_NEAR(a.moveLength(), c.length, 1e-9);
    EXPECT_NEAR(a.moveTime(), c.length / 100.0, 1e-11);
    EXPECT_NEAR(a.minX(), c.minX, 1e-12);
    EXPECT_NEAR(a.maxX(), c.maxX, 1e-12);
    EXPECT_NEAR(a.minY(), c.minY, 1e-12);
    EXPECT_NEAR(a.maxY(), c.maxY, 1e-12);
    EXPECT_NEAR(a.minZ(), c.minZ, 1e-12);
    EXPECT_NEAR(a.maxZ(), c.maxZ, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Planes, Arcs,
    testing::Values(
        // Quarter counter-clockwise from 0 to 90 degrees passes the top only.
        ArcCase{"G17CcwQuarter", "G92X10.Y0.Z0.", "G03 X0. Y10. I-10.", 0, 0, 10, 15.707963267948966,
                0, 10, 10, 10, kEmptyMin, kEmptyMax},
        // The same points clockwise run three quarters through right, bottom and left.
        ArcCase{"G17CwThreeQuarters", "G92X10.Y0.Z0.", "G02 X0. Y10. I-10.", 0, 0, 10, 47.12388980384690,
                -10, 10, -10, 10, kEmptyMin, kEmptyMax},
        ArcCase{"G17CcwFullCircleFromZero", "G92X10.Y0.Z0.", "G03 I-10.", 0, 0, 10, 62.83185307179586,
                -10, 10, -10, 10, kEmptyMin, kEmptyMax},
        // Clockwise from 0 degrees: the quadrant table alone gives only the right extreme.
        ArcCase{"G17CwFullCircleFromZero", "G92X10.Y0.Z0.", "G02 I-10.", 0, 0, 10, 62.83185307179586,
                -10, 10, -10, 10, kEmptyMin, kEmptyMax},
        ArcCase{"G17FullCircleFromTop", "G92X0.Y10.Z0.", "G02 J-10.", 0, 0, 10, 62.83185307179586,
                -10, 10, -10, 10, kEmptyMin, kEmptyMax},
        ArcCase{"G17CwWrappedInsideQuadrant2", "G92X-1.736Y9.848Z0.", "G02 X-9.848 Y1.736 I1.736 J-9.848", 0, 0,
                kR6, kR6 * nc::degToRad(360 - (nc::radToDeg(std::atan(1.736 / -9.848)) + 180 -
                                               (nc::radToDeg(std::atan(9.848 / -1.736)) + 180))),
                -kR6, kR6, -kR6, kR6, kEmptyMin, kEmptyMax},
        ArcCase{"G17CcwShortInsideQuadrant2", "G92X-1.736Y9.848Z0.", "G03 X-9.848 Y1.736 I1.736 J-9.848", 0, 0,
                kR6, kR6 * nc::degToRad(nc::radToDeg(std::atan(1.736 / -9.848)) + 180 -
                                        (nc::radToDeg(std::atan(9.848 / -1.736)) + 180)),
                -9.848, -1.736, 1.736, 9.848, kEmptyMin, kEmptyMax},
        // G18 views XZ from the other side: G02 takes the counter-clockwise table.
        ArcCase{"G18Cw", "G92X10.Y0.Z0.", "G18 G02 X0. Z10. I-10.", 0, 0, 10, 15.707963267948966,
                0, 10, kEmptyMin, kEmptyMax, 10, 10},
        ArcCase{"G18Ccw", "G92X10.Y0.Z0.", "G18 G03 X0. Z10. I-10.", 0, 0, 10, 47.12388980384690,
                -10, 10, kEmptyMin, kEmptyMax, -10, 10},
        ArcCase{"G18CcwFullCircle", "G92X10.Y0.Z0.", "G18 G03 I-10.", 0, 0, 10, 62.83185307179586,
                -10, 10, kEmptyMin, kEmptyMax, -10, 10},
        ArcCase{"G19Ccw", "G92X0.Y10.Z0.", "G19 G03 Y0. Z10. J-10.", 0, 0, 10, 15.707963267948966,
                kEmptyMin, kEmptyMax, 0, 10, 10, 10},
        ArcCase{"G19CwFullCircle", "G92X0.Y10.Z0.", "G19 G02 J-10.", 0, 0, 10, 62.83185307179586,
                kEmptyMin, kEmptyMax, -10, 10, -10, 10},
        ArcCase{"HelicalCircle", "G92X10.Y0.Z0.", "G03 Z-3. I-10.", 0, 0, 10, 62.83185307179586,
                -10, 10, -10, 10, -3, -3},
        // Threading gets no extremes and sweeps counter-clockwise.
        ArcCase{"G33NoExtremes", "G92X10.Y0.Z0.", "G33 X0. Y10. I-10.", 0, 0, 10, 15.707963267948966,
                0, 10, 0, 10, kEmptyMin, kEmptyMax},
        ArcCase{"ZeroRadius", "G92X10.Y0.Z0.", "G02 X10. Y0.", 10, 0, 0, 0,
                10, 10, 0, 0, kEmptyMin, kEmptyMax}),
    [](const auto& info) { return info.param.name; });

// Every cell class of both quadrant tables. The extremes an arc passes replace its start
// (F+, S+) or end (F-, S-) candidates; the block's own end point widens the extents too.
enum : unsigned { kFp = 1, kSp = 2, kFm = 4, kSm = 8 };

struct QuadrantCase {
    int startDeg;
    int endDeg;
    bool clockwise;
    unsigned extremes;
};

class QuadrantCells : public testing::TestWithParam<QuadrantCase> {};

TEST_P(QuadrantCells, ReplaceCandidatesByTheCircleExtremes)
{
    const QuadrantCase& c = GetParam();
    const auto coordinate = [](double degrees, bool cosine) {
        const double v = 100.0 * (cosine ? std::cos(nc::degToRad(degrees)) : std::sin(nc::degToRad(degrees)));
        return std::round(v * 1000) / 1000;
    };
    const double sx = coordinate(c.startDeg, true);
    const double sy = coordinate(c.startDeg, false);
    const double ex = coordinate(c.endDeg, true);
    const double ey = coordinate(c.endDeg, false);
    IsoNcAnalyzer a;
    nctest::startRun(a, "G92X" + std::to_string(sx) + "Y" + std::to_string(sy) + "Z0.");
    a.setLine(std::string(c.clockwise ? "G02" : "G03") + " X" + std::to_string(ex) + " Y" +
              std::to_string(ey) + " I" + std::to_string(-sx) + " J" + std::to_string(-sy));
    const double r = a.arcRadius();
    const double a1 = (c.extremes & kFp) ? r : sx;
    const double a2 = (c.extremes & kFm) ? -r : ex;
    const double b1 = (c.extremes & kSp) ? r : sy;
    const double b2 = (c.extremes & kSm) ? -r : ey;
    const std::string where = std::to_string(c.startDeg) + "->" + std::to_string(c.endDeg);
    EXPECT_NEAR(a.minX(), std::min({a1, a2, ex}), 1e-9) << where;
    EXPECT_NEAR(a.maxX(), std::max({a1, a2, ex}), 1e-9) << where;
    EXPECT_NEAR(a.minY(), std::min({b1, b2, ey}), 1e-9) << where;
    EXPECT_NEAR(a.maxY(), std::max({b1, b2, ey}), 1e-9) << where;
}

constexpr unsigned kAll = kFp | kSp | kFm | kSm;

INSTANTIATE_TEST_SUITE_P(
    Cells, QuadrantCells,
    testing::Values(QuadrantCase{45, 315, true, kFp}, QuadrantCase{45, 225, true, kFp | kSm},
                    QuadrantCase{45, 135, true, kFp | kSm | kFm}, QuadrantCase{135, 45, true, kSp},
                    QuadrantCase{225, 135, true, kFm}, QuadrantCase{315, 225, true, kSm},
                    QuadrantCase{315, 45, true, kSm | kFm | kSp}, QuadrantCase{30, 60, true, kAll},
                    QuadrantCase{60, 30, true, 0}, QuadrantCase{45, 135, false, kSp},
                    QuadrantCase{45, 225, false, kSp | kFm}, QuadrantCase{45, 315, false, kSp | kFm | kSm},
                    QuadrantCase{135, 45, false, kFm | kSm | kFp}, QuadrantCase{315, 45, false, kFp},
                    QuadrantCase{225, 45, false, kSm | kFp}, QuadrantCase{60, 30, false, kAll},
                    QuadrantCase{30, 60, false, 0}),
    [](const auto& info) {
        const QuadrantCase& c = info.param;
        return std::string(c.clockwise ? "Cw" : "Ccw") + std::to_string(c.startDeg) + "To" +
               std::to_string(c.endDeg);
    });

}  // namespace
