// Arcs given by their radius R read exactly like the same arcs given by centre offsets.
#include "report/BlockEntries.h"
#include "tests/nc/AnalyzerSupport.h"
#include "tests/support/FakeRadiusPrompt.h"
#include "util/Cp932.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

const std::string kRadiusErrorLine = util::toCp932("---------------------- 円弧半径エラー -------------------\n");

// One analysis with the check on: the entry and the figures of the last line.
struct Outcome {
    std::string entry;
    double length, time, cutLength, cutTime, radius, centre1, centre2;
    double minX, maxX, minY, maxY, minZ, maxZ;
    std::size_t prompts;
};

Outcome analyse(std::string_view startBlock, std::initializer_list<std::string_view> lines, std::string radius = "1")
{
    report::EntryState state;
    report::RadiusCache cache;
    testsupport::FakeRadiusPrompt prompt;
    prompt.answers.push_back(radius);
    report::BlockEntries entries(state, cache, prompt, true);
    nc::IsoNcAnalyzer a;
    nctest::startRun(a, startBlock);
    std::string entry;
    for (const std::string_view line : lines) {
        a.setLine(line);
        entry = entries.blockEntry(a, line);
    }
    return {entry, a.moveLength(), a.moveTime(), a.cutLengthSum(), a.cutTimeSum(), a.arcRadius(), a.arcCenterX(),
            a.arcCenterY(), a.minX(), a.maxX(), a.minY(), a.maxY(), a.minZ(), a.maxZ(), prompt.asked.size()};
}

void expectSame(const Outcome& r, const Outcome& offsets)
{
    EXPECT_EQ(r.entry, offsets.entry);
    for (const auto member : {&Outcome::length, &Outcome::time, &Outcome::cutLength, &Outcome::cutTime,
                              &Outcome::radius, &Outcome::centre1, &Outcome::centre2, &Outcome::minX, &Outcome::maxX,
                              &Outcome::minY, &Outcome::maxY, &Outcome::minZ, &Outcome::maxZ}) {
        EXPECT_NEAR(r.*member, offsets.*member, 1e-9);
    }
    EXPECT_EQ(r.prompts, offsets.prompts);
}

struct RadiusArcCase {
    std::string name;
    int plane;
    int motion;
    double centre1, centre2;  // on the plane's two axes; the arc runs from (10, 0) to (0, 10)
};

class RadiusArcs : public testing::TestWithParam<RadiusArcCase> {};

// Each arc is first read with offsets; its R is then signed by whether that arc turns
// more than half a circle, and the R form must give the same entry and figures. Under
// compensation the entries carry the over-cut check too.
TEST_P(RadiusArcs, ReadLikeTheSameArcWithOffsets)
{
    const RadiusArcCase& c = GetParam();
    const char* axes[] = {"XY", "XZ", "YZ"};
    const char* offsets[] = {"IJ", "IK", "JK"};
    const auto i = static_cast<std::size_t>(c.plane - 17);
    const std::string start = std::string("G92X0.Y0.Z0.") + axes[i][0] + "10.";
    const std::string head = "G" + std::to_string(c.plane) + " G0" + std::to_string(c.motion) + " " + axes[i][0] +
                             "0. " + axes[i][1] + "10. F100 ";
    const std::string offsetLine = head + offsets[i][0] + std::to_string(c.centre1 - 10) + "0 " + offsets[i][1] +
                                   std::to_string(c.centre2) + "0";
    const Outcome withOffsets = analyse(start, {"G41 G01 D1 F100", offsetLine});
    const double radius = std::hypot(10 - c.centre1, c.centre2);
    const bool longWay = withOffsets.length > std::acos(-1.0) * radius;
    const std::string rLine = head + "R" + (longWay ? "-" : "") + "10.";
    SCOPED_TRACE(offsetLine + " / " + rLine);
    expectSame(analyse(start, {"G41 G01 D1 F100", rLine}), withOffsets);
    EXPECT_EQ(longWay, c.name.find("ThreeQuarters") != std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Planes, RadiusArcs,
    testing::Values(RadiusArcCase{"G17G03Quarter", 17, 3, 0, 0}, RadiusArcCase{"G17G02ThreeQuarters", 17, 2, 0, 0},
                    RadiusArcCase{"G17G02Quarter", 17, 2, 10, 10}, RadiusArcCase{"G17G03ThreeQuarters", 17, 3, 10, 10},
                    RadiusArcCase{"G18G02Quarter", 18, 2, 0, 0}, RadiusArcCase{"G18G03ThreeQuarters", 18, 3, 0, 0},
                    RadiusArcCase{"G18G03Quarter", 18, 3, 10, 10}, RadiusArcCase{"G18G02ThreeQuarters", 18, 2, 10, 10},
                    RadiusArcCase{"G19G03Quarter", 19, 3, 0, 0}, RadiusArcCase{"G19G02ThreeQuarters", 19, 2, 0, 0},
                    RadiusArcCase{"G19G02Quarter", 19, 2, 10, 10}, RadiusArcCase{"G19G03ThreeQuarters", 19, 3, 10, 10}),
    [](const auto& info) { return info.param.name; });

struct ChordCase {
    std::string name;
    std::string line;
    bool error;
    double radius;
};

class ShortRadius : public testing::TestWithParam<ChordCase> {};

// A radius that cannot reach the end point cuts half a circle on the chord; only a gap
// beyond 0.001 is an error.
TEST_P(ShortRadius, HalfCircleOnTheChord)
{
    const ChordCase& c = GetParam();
    const Outcome o = analyse("G92X0.Y0.Z0.", {"F100", c.line});
    EXPECT_EQ(o.entry.find(kRadiusErrorLine) != std::string::npos, c.error) << o.entry;
    EXPECT_NEAR(o.radius, c.radius, 1e-12);
    EXPECT_NEAR(o.length, std::acos(-1.0) * c.radius, 1e-9);
    EXPECT_NEAR(o.centre1, c.radius, 1e-12);
    EXPECT_NEAR(o.centre2, 0.0, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Chords, ShortRadius,
    testing::Values(ChordCase{"ExactlyTwiceR", "G02 X10. Y0. R5.", false, 5.0},
                    ChordCase{"WithinTolerance", "G02 X10.0015 Y0. R5.", false, 5.00075},
                    ChordCase{"BeyondTolerance", "G03 X10.003 Y0. R-5.", true, 5.0015},
                    ChordCase{"ZeroRadius", "G02 X4. Y0. R0", true, 2.0}),
    [](const auto& info) { return info.param.name; });

TEST(RadiusArc, RTakesPrecedenceOverOffsets)
{
    const Outcome both = analyse("G92X10.Y0.Z0.", {"G03 X0. Y10. R10. I3. J4. F100"});
    const Outcome offsets = analyse("G92X10.Y0.Z0.", {"G03 X0. Y10. I-10. F100"});
    expectSame(both, offsets);
}

// Start = end is no arc: no circle entry, nothing measured, no over-cut check (and so
// no radius prompt), even with offsets beside the R.
TEST(RadiusArc, StartAtTheEndIsNoCircle)
{
    for (const std::string_view line : {"G02 R5.", "G03 X10. Y0. R5. I-5."}) {
        const Outcome o = analyse("G92X10.Y0.Z0.", {"G42 D1 F100", line}, "50");
        EXPECT_EQ(o.entry, "") << line;
        EXPECT_EQ(o.length, 0.0) << line;
        EXPECT_EQ(o.prompts, 0U) << line;
    }
}

TEST(RadiusArc, OffsetsFromRadiusStayFiniteForExtremeInput)
{
    for (const double r : {1e-300, 1e300, -1e300}) {
        for (const double e : {1e-300, 1e-160, 1e160, 1e300}) {
            const nc::ArcOffsets o = nc::offsetsFromRadius(0, 0, e, e, r, true);
            EXPECT_TRUE(o.isArc);
            EXPECT_FALSE(std::isnan(o.o1)) << r << " " << e;
        }
    }
}

}  // namespace
