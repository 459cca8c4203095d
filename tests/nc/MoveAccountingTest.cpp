#include "nc/IsoNcAnalyzer.h"
#include "tests/nc/AnalyzerSupport.h"
#include "util/UserError.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>

namespace {

using nc::IsoNcAnalyzer;
using nctest::feed;

TEST(MoveAccounting, LinearMoveLengthTimeAndDirection)
{
    IsoNcAnalyzer a;
    nctest::startRun(a, "G92X0.Y0.Z0.");
    a.setLine("G01 X30. Y40. Z0. F300");
    EXPECT_DOUBLE_EQ(a.moveLength(), 50.0);
    EXPECT_DOUBLE_EQ(a.moveTime(), 50.0 / 300.0);
    EXPECT_DOUBLE_EQ(a.cutLengthSum(), 50.0);
    EXPECT_NEAR(a.directionAngle(true), 0.927295218001612, 1e-15);
    EXPECT_EQ(a.slopeAngle(true), 0.0);
    EXPECT_EQ(a.arcRadius(), 0.0);
}

TEST(MoveAccounting, VerticalRapidKeepsTheAngles)
{
    IsoNcAnalyzer a;
    nctest::startRun(a, "G92X0.Y0.Z100.");
    feed(a, {"G01 X3. Y4. Z97. F100"});
    const double direction = a.directionAngle(true);
    const double slope = a.slopeAngle(true);
    a.setLine("G00 Z0.");
    EXPECT_DOUBLE_EQ(a.moveLength(), 97.0);
    EXPECT_DOUBLE_EQ(a.moveTime(), 97.0 / 5000.0);
    EXPECT_EQ(a.directionAngle(true), direction);
    EXPECT_EQ(a.slopeAngle(true), slope);
    EXPECT_FALSE(a.isVerticalMove());
}

struct MoveKindCase {
    std::string name;
    std::string line;
    bool vertical;
    bool slope;
    bool arc;
    bool circle;
};

class MoveKinds : public testing::TestWithParam<MoveKindCase> {};

TEST_P(MoveKinds, AreToldByTheAxisChanges)
{
    const MoveKindCase& c = GetParam();
    IsoNcAnalyzer a;
    nctest::startRun(a, "G92X0.Y0.Z0.");
    a.setLine(c.line);
    EXPECT_EQ(a.isVerticalMove(), c.vertical);
    EXPECT_EQ(a.isSlopeMove(), c.slope);
    EXPECT_EQ(a.isArcMove(), c.arc);
    EXPECT_EQ(a.isFullCircleMove(), c.circle);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MoveKinds,
    testing::Values(MoveKindCase{"Vertical", "G01 Z-5. F100", true, false, false, false},
                    MoveKindCase{"Slope", "G01 X1. Z-5. F100", false, true, false, false},
                    MoveKindCase{"Flat", "G01 X1. Y2. F100", false, false, false, false},
                    MoveKindCase{"RapidDown", "G00 Z-5.", false, false, false, false},
                    MoveKindCase{"Arc", "G02 X10. Y10. I10.", false, false, true, false},
                    MoveKindCase{"Circle", "G03 I-10.", false, false, false, true},
                    MoveKindCase{"HelicalCircle", "G03 Z-2. I-10.", false, false, false, true}),
    [](const auto& info) { return info.param.name; });

TEST(MoveAccounting, SlopeAngleOnlyForMovesWithAnXYLength)
{
    IsoNcAnalyzer a;
    nctest::startRun(a, "G92X0.Y0.Z0.");
    a.setLine("G01 X5. Z-5. F100");
    EXPECT_DOUBLE_EQ(a.slopeAngle(true), std::atan(1.0));
    a.setLine("G01 Z-20.");
    EXPECT_DOUBLE_EQ(a.slopeAngle(true), std::atan(1.0));
    EXPECT_TRUE(a.isVerticalMove());
}

TEST(MoveAccounting, CuttingBeforeAnyFeedIsTimedAtRateOne)
{
    IsoNcAnalyzer a;
    nctest::startRun(a, "G92X0.Y0.Z0.");
    a.setLine("G01 X10.");
    EXPECT_DOUBLE_EQ(a.cutTimeSum(), 10.0);
}

TEST(MoveAccounting, UnknownStartIsTheFallbackPoint)
{
    IsoNcAnalyzer a;
    a.setLine("G00 X3. Y4.");
    // From (0, 0, 200) to (3, 4, 200): Z is unknown at both ends.
    EXPECT_DOUBLE_EQ(a.moveLength(), 5.0);
    a.setLine("Z0.");
    EXPECT_DOUBLE_EQ(a.moveLength(), 200.0);
}

TEST(MoveAccounting, PendingHolesAccumulateUntilAFeedIsKnown)
{
    IsoNcAnalyzer a;
    nctest::startRun(a);
    feed(a, {"G00 X0. Y0. Z10.", "G81 X10. Y10. Z-5. R2.", "X15.", "X20. F100"});
    // Two holes waited (7 + 7); the third, met with F in force... still before F applies.
    EXPECT_DOUBLE_EQ(a.pendingCycleLength(), 21.0);
    a.setLine("X25.");
    EXPECT_DOUBLE_EQ(a.cutLengthSum(), 28.0);
    EXPECT_DOUBLE_EQ(a.cutTimeSum(), 0.28);
    EXPECT_EQ(a.pendingCycleLength(), 0.0);
}

TEST(MoveAccounting, PendingHoleBookedWithTheNextHole)
{
    IsoNcAnalyzer a;
    nctest::startRun(a);
    feed(a, {"G00 X0. Y0. Z10.", "G81 X10. Y10. Z-5. R2. F100"});
    EXPECT_DOUBLE_EQ(a.pendingCycleLength(), 7.0);
    EXPECT_EQ(a.cutLengthSum(), 0.0);
    a.setLine("X20.");
    EXPECT_DOUBLE_EQ(a.cutLengthSum(), 14.0);
    EXPECT_DOUBLE_EQ(a.cutTimeSum(), 0.14);
}

TEST(MoveAccounting, PeckDrillingAddsTheRetractTravel)
{
    IsoNcAnalyzer a;
    nctest::startRun(a);
    feed(a, {"G00 X0. Y0. Z10. F100"});
    a.resetSums();
    a.setLine("G83 X5. Y5. Z-20. R2. Q5.");
    const double rapidTime = a.rapidTimeSum();
    EXPECT_DOUBLE_EQ(a.cutLengthSum(), 22.0 + 0.88);
    EXPECT_DOUBLE_EQ(a.cutTimeSum(), 0.22 + 0.000176);
    EXPECT_DOUBLE_EQ(a.totalTimeSum(), 0.22 + 0.000176 + rapidTime);
    EXPECT_EQ(a.cycleCode(), 83);
    EXPECT_EQ(a.peckDepth(), 5.0);
}

TEST(MoveAccounting, HoleAtTheSameXYBooksNothing)
{
    IsoNcAnalyzer a;
    nctest::startRun(a);
    feed(a, {"G01 X0. Y0. Z10. F100"});
    a.resetSums();
    feed(a, {"G81 X10. Y10. Z-5. R2.", "Z-6."});
    EXPECT_DOUBLE_EQ(a.cutLengthSum(), 7.0);
}

// Spot drill, drill and tap at the same positions each get their cutting time.
TEST(MoveAccounting, NewCycleBooksItsFirstHoleAtTheLastHolePosition)
{
    IsoNcAnalyzer a;
    nctest::startRun(a);
    feed(a, {"G01 X0. Y0. Z10. F100"});
    a.resetSums();
    feed(a, {"G81 X10. Y10. Z-2. R2.", "G80", "G83 X10. Y10. Z-20. R2. Q10."});
    EXPECT_DOUBLE_EQ(a.cutLengthSum(), 4.0 + 22.0 + 0.44);
    feed(a, {"G84 X10. Y10. Z-12. R2."});
    EXPECT_DOUBLE_EQ(a.cutLengthSum(), 4.0 + 22.0 + 0.44 + 14.0);
}

TEST(MoveAccounting, PeckDepthZeroIsADivisionError)
{
    IsoNcAnalyzer a;
    nctest::startRun(a);
    feed(a, {"G00 X0. Y0. Z10. F100"});
    try {
        a.setLine("G83 X5. Y5. Z-20. R2. Q0.");
        FAIL() << "no exception";
    } catch (const util::ArithmeticError& e) {
        EXPECT_STREQ(e.what(), "0 による浮動小数点数除算");
    }
    IsoNcAnalyzer b;
    nctest::startRun(b);
    feed(b, {"G00 X0. Y0. Z10. F100"});
    try {
        b.setLine("G83 X5. Y5. Z2. R2. Q0.");
        FAIL() << "no exception";
    } catch (const util::ArithmeticError& e) {
        EXPECT_STREQ(e.what(), "不正な浮動小数点数演算命令");
    }
}

TEST(MoveAccounting, UnknownPositionNeverWidensAnExtent)
{
    IsoNcAnalyzer a;
    a.updateXExtent(5.0);
    a.updateXExtent(nc::kUnknownPosition);
    a.updateYExtent(nc::kUnknownPosition);
    a.updateZExtent(nc::kUnknownPosition);
    EXPECT_EQ(a.minX(), 5.0);
    EXPECT_EQ(a.maxX(), 5.0);
    EXPECT_EQ(a.minY(), nc::kExtentStartMin);
    EXPECT_EQ(a.maxY(), nc::kExtentStartMax);
    EXPECT_EQ(a.minZ(), nc::kExtentStartMin);
    a.updateXExtent(99999.0);
    EXPECT_EQ(a.maxX(), 99999.0);
}

TEST(MoveAccounting, ResetsEmptyTheSection)
{
    IsoNcAnalyzer a;
    nctest::startRun(a, "G92X0.Y0.Z0.");
    a.setLine("G01 X10. F100");
    a.resetExtents();
    a.resetSums();
    EXPECT_EQ(a.minX(), 9999.0);
    EXPECT_EQ(a.maxZ(), -9999.0);
    EXPECT_EQ(a.cutLengthSum(), 0.0);
    EXPECT_EQ(a.totalTimeSum(), 0.0);
}

}  // namespace
