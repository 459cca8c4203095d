#include "nc/IsoNcAnalyzer.h"

#include <gtest/gtest.h>

namespace {

TEST(PlaneHelpers, QuadrantBoundaries)
{
    EXPECT_EQ(nc::quadrantOf(0, 0), 1);
    EXPECT_EQ(nc::quadrantOf(45, 0), 1);
    EXPECT_EQ(nc::quadrantOf(90, 0), 2);
    EXPECT_EQ(nc::quadrantOf(180, 0), 3);
    EXPECT_EQ(nc::quadrantOf(270, 0), 4);
    EXPECT_EQ(nc::quadrantOf(360, 0), 4);
    EXPECT_EQ(nc::quadrantOf(-10, 0), 4);
    EXPECT_EQ(nc::quadrantOf(400, 0), 4);
    EXPECT_EQ(nc::quadrantOf(nc::kPi / 2, 1), 2);
}

TEST(PlaneHelpers, SegmentDirectionByQuadrant)
{
    nc::IsoNcAnalyzer a;
    EXPECT_DOUBLE_EQ(a.analyseSegment(0, 0, 30, 40), 50.0);
    EXPECT_NEAR(a.directionAngle(true), 0.927295218001612, 1e-15);
    a.analyseSegment(0, 0, -1, -1);
    EXPECT_NEAR(a.directionAngle(true), 3.926990816987241, 1e-15);
    a.analyseSegment(0, 0, 1, -1);
    EXPECT_NEAR(a.directionAngle(true), 5.497787143782138, 1e-15);
    a.analyseSegment(0, 0, -1, 0);
    EXPECT_DOUBLE_EQ(a.directionAngle(false), 180.0);
    a.analyseSegment(0, 0, 0, -2);
    EXPECT_DOUBLE_EQ(a.directionAngle(false), 270.0);
    a.analyseSegment(0, 0, 0, 2);
    EXPECT_DOUBLE_EQ(a.directionAngle(false), 90.0);
    const double before = a.directionAngle(true);
    EXPECT_EQ(a.analyseSegment(3, 3, 3, 3), 0.0);
    EXPECT_EQ(a.directionAngle(true), before);
}

TEST(PlaneHelpers, DegreeConversions)
{
    EXPECT_DOUBLE_EQ(nc::degToRad(360), 6.283185307179586);
    EXPECT_DOUBLE_EQ(nc::radToDeg(nc::kPi), 180.0);
}

}  // namespace
