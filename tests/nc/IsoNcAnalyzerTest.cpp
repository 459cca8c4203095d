#include "nc/IsoNcAnalyzer.h"
#include "tests/nc/AnalyzerSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using nc::IsoNcAnalyzer;
using nc::WordSlot;
using nctest::feed;

TEST(IsoNcAnalyzer, NothingIsMeasuredBeforeTheFirstMotionCode)
{
    IsoNcAnalyzer a;
    feed(a, {"G92X0.Y0.Z200.", "F150"});
    EXPECT_EQ(a.feedRate(), 150.0);
    EXPECT_EQ(a.totalTimeSum(), 0.0);
    EXPECT_EQ(a.moveLength(), 0.0);
}

TEST(IsoNcAnalyzer, RapidFromTheStartBlock)
{
    IsoNcAnalyzer a;
    nctest::startRun(a, "G92X0.Y0.Z200.");
    EXPECT_EQ(a.moveLength(), 0.0);
    a.setLine("G00 X10. Y0. Z200.");
    EXPECT_DOUBLE_EQ(a.moveLength(), 10.0);
    EXPECT_DOUBLE_EQ(a.moveTime(), 0.002);
    EXPECT_DOUBLE_EQ(a.rapidTimeSum(), 0.002);
    EXPECT_EQ(a.maxX(), 10.0);
    ASSERT_NE(a.measuredMove(), nullptr);
    EXPECT_EQ(a.measuredMove()->kind, nc::MotionKind::Rapid);
}

// Rapids of an inch program run at 5000 mm/min expressed in inches; feeds as written.
// The unit switches with the block, so a program may mix both.
TEST(IsoNcAnalyzer, InchRapidsAndPecksAtTheSameRateInInches)
{
    IsoNcAnalyzer a;
    nctest::startRun(a, "G92X0.Y0.Z1.");
    a.setLine("G20 G00 X10.");
    EXPECT_DOUBLE_EQ(a.moveTime(), 10.0 / (5000.0 / 25.4));
    a.setLine("G01 X20. F50.");
    EXPECT_DOUBLE_EQ(a.moveTime(), 10.0 / 50.0);
    a.setLine("G83 X0 Y0 Z-10000 R1000 Q5000");
    // Hole 1.1 deep at F50, then 1.1 / 0.5 pecks of 0.2 at the inch rapid rate.
    EXPECT_DOUBLE_EQ(a.cutTimeSum(), 10.0 / 50.0 + 1.1 / 50.0 + 1.1 / 0.5 * 0.2 / (5000.0 / 25.4));
    a.setLine("G80 G21 G00 X30.");
    EXPECT_DOUBLE_EQ(a.moveTime(), 30.0 / 5000.0);
    EXPECT_FALSE(a.isInchMode());
}

TEST(IsoNcAnalyzer, ToolDiameterFromCommentLines)
{
    IsoNcAnalyzer a;
    a.setLine("(T1 D10 DIA 10.5 MILL)");
    EXPECT_EQ(a.toolDiameter(), 10.5);
    a.setLine("(T02 DRILL)");
    EXPECT_EQ(a.toolDiameter(), 2.0);
    a.setLine("  (DIA 6.)");
    EXPECT_EQ(a.toolDiameter(), 2.0);
    a.setLine("*DIA 3.");
    EXPECT_EQ(a.toolDiameter(), 3.0);
    a.setLine("(NO NUMBER)");
    EXPECT_EQ(a.toolDiameter(), 0.0);
}

TEST(IsoNcAnalyzer, CompensationNumberChangesOnlyWithG41OrG42)
{
    IsoNcAnalyzer a;
    a.setLine("G41 D07");
    EXPECT_TRUE(a.isCutterCompActive());
    EXPECT_EQ(a.compensationD(), 7);
    a.setLine("D08");
    EXPECT_EQ(a.compensationD(), 7);
    a.setLine("G42 D08");
    EXPECT_EQ(a.compensationD(), 8);
    a.setLine("G40");
    EXPECT_FALSE(a.isCutterCompActive());
    EXPECT_EQ(a.compensationD(), 0);
}

TEST(IsoNcAnalyzer, DwellXIsNoPosition)
{
    IsoNcAnalyzer a;
    nctest::startRun(a);
    feed(a, {"G00 X5. Y0. Z200."});
    a.resetExtents();
    a.setLine("G04 X1000");
    EXPECT_EQ(a.wordValue(WordSlot::X), 5.0);
    EXPECT_TRUE(a.isWordGiven(WordSlot::X));
    EXPECT_EQ(a.maxX(), nc::kExtentStartMax);
    EXPECT_EQ(a.moveLength(), 0.0);
}

TEST(IsoNcAnalyzer, NonModalXDoesNotWidenButYAndZDo)
{
    IsoNcAnalyzer a;
    a.setLine("G28 X50. Y60. Z70.");
    EXPECT_EQ(a.maxX(), nc::kExtentStartMax);
    EXPECT_EQ(a.maxY(), 60.0);
    EXPECT_EQ(a.maxZ(), 70.0);
}

TEST(IsoNcAnalyzer, RapidCycleBlockBooksHoleAndMove)
{
    IsoNcAnalyzer a;
    nctest::startRun(a);
    feed(a, {"G00 X0. Y0. Z10. F100"});
    a.resetSums();
    a.setLine("G81 X10. Y10. Z-5. R2.");
    EXPECT_TRUE(a.isCycleActive());
    EXPECT_DOUBLE_EQ(a.cutLengthSum(), 7.0);
    EXPECT_DOUBLE_EQ(a.rapidTimeSum(), std::sqrt(100.0 + 100.0 + 225.0) / 5000.0);
}

TEST(IsoNcAnalyzer, FeedMotionInsideACycleMeasuresNothingUntilTheCycleEnds)
{
    IsoNcAnalyzer a;
    nctest::startRun(a);
    feed(a, {"G01 X0. Y0. Z10. F100", "G81 X10. Y10. Z-5. R2."});
    const double cutAfterFirst = a.cutLengthSum();
    a.setLine("X20.");
    EXPECT_DOUBLE_EQ(a.cutLengthSum() - cutAfterFirst, 7.0);  // one more hole, no move
    a.setLine("G01 X30. F200");
    EXPECT_FALSE(a.isCycleActive());
    EXPECT_DOUBLE_EQ(a.moveLength(), 10.0);
    EXPECT_DOUBLE_EQ(a.moveTime(), 10.0 / 200.0);
}

// A run never inherits a level or a pending hole from an earlier analyzer.
TEST(IsoNcAnalyzer, CycleValuesStartFreshForEveryAnalyzer)
{
    {
        IsoNcAnalyzer first;
        nctest::startRun(first);
        feed(first, {"G00 Z50.", "G98 G81 X10. Y10. Z-5. R2."});
        EXPECT_EQ(first.initialLevel(), 50.0);
        EXPECT_DOUBLE_EQ(first.pendingCycleLength(), 7.0);
    }
    IsoNcAnalyzer second;
    EXPECT_EQ(second.initialLevel(), 0.0);
    EXPECT_EQ(second.pendingCycleLength(), 0.0);
    nctest::startRun(second);
    feed(second, {"G00 X0. Y0. F100", "G81 X10. Y10. Z-5. R2."});
    EXPECT_DOUBLE_EQ(second.cutLengthSum(), 7.0);
}

TEST(IsoNcAnalyzer, ReturnLevelFollowsG98AndG99)
{
    IsoNcAnalyzer a;
    nctest::startRun(a);
    feed(a, {"G00 Z30. F100", "G98 G81 X1. Y1. Z-5. R3."});
    EXPECT_EQ(a.returnLevel(), 30.0);
    a.setLine("G99 X2.");
    EXPECT_EQ(a.returnLevel(), 3.0);
}

TEST(IsoNcAnalyzer, AnglesInDegreesOrRadians)
{
    IsoNcAnalyzer a;
    nctest::startRun(a, "G92X0.Y0.Z0.");
    a.setLine("G01 X30. Y40. Z-10. F300");
    EXPECT_NEAR(a.directionAngle(true), 0.9272952180016122, 1e-15);
    EXPECT_NEAR(a.directionAngle(false), 53.13010235415598, 1e-12);
    EXPECT_NEAR(a.slopeAngle(false), nc::radToDeg(std::atan(10.0 / 50.0)), 1e-12);
}

}  // namespace
