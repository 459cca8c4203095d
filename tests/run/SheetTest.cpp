// The setup sheet and the run's record: the path simplifier's error bound, the tool
// descriptions, the sheet's life beside the report, and its bounds on a long program.
#include "run/SheetPage.h"
#include "run/Toolpath.h"
#include "tests/run/RunFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>

namespace {

using Point = run::PathSimplifier::Point;

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
    run::PathSimplifier simplifier(tolerance);
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
    run::PathSimplifier simplifier(0.01);
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
    run::ToolpathPicture picture(4096);
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
    const std::string svg = run::pictureSvg(picture, 400, {});
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
}

class Sheet : public testsupport::RunFixture {};

struct DescriptionCase {
    std::string name;
    std::string program;
    std::vector<std::string> descriptions;
};

class Descriptions : public testsupport::RunFixture, public testing::WithParamInterface<DescriptionCase> {};

TEST_P(Descriptions, NameEachToolSection)
{
    const run::RunResult r = runWith(GetParam().program);
    ASSERT_EQ(r.outcome, run::RunOutcome::Completed);
    std::vector<std::string> descriptions;
    for (const run::SectionRecord& s : r.record->sections) {
        descriptions.push_back(s.description);
    }
    EXPECT_EQ(descriptions, GetParam().descriptions);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Descriptions,
    testing::Values(
        DescriptionCase{"OnTheToolChangeLine", "T1 M06 (FACE MILL)\nG00 X10.\nT2 M06 (DRILL 5)\nG00 X20.\nM30\n",
                        {"FACE MILL", "DRILL 5"}},
        DescriptionCase{"OnTheTLine", "T1 (ROUGHER)\nM06\nG00 X10.\nM30\n", {"ROUGHER"}},
        DescriptionCase{"CommentLineBeforeTheChange", "(T1 FACE MILL DIA 50.)\nT1 M06\nG00 X10.\nM30\n",
                        {"T1 FACE MILL DIA 50."}},
        DescriptionCase{"FirstCommentLineAfterTheChange", "T3 M06\nG00 X1.\n(CHAMFER 90)\n(OTHER)\nG00 X10.\nM30\n",
                        {"CHAMFER 90"}},
        DescriptionCase{"NoneAtAll", "T4 M06\nG00 X10.\nM30\n", {""}}),
    [](const auto& info) { return info.param.name; });

TEST_F(Sheet, RecordHoldsProgramHolesAndOvercuts)
{
    settings.offsetCheck = true;
    fakes.radius.answers = {"5"};
    const run::RunResult r = runWith("O0042 (BRACKET)\n(SECOND)\nT1 M06\nG00 X0. Y0. Z5. F100\n"
                                     "G81 X10. Y10. Z-5. R2.\nX20.\nG80\nG83 X30. Y10. Z-9. R2. Q3.\nG80\n"
                                     "G41 G01 X5. D1\nG03 X15. I5.\nG40 G01 X0.\nM30\n");
    ASSERT_EQ(r.outcome, run::RunOutcome::Completed);
    const run::ProgramRecord& record = *r.record;
    EXPECT_EQ(record.name, "O0042");
    EXPECT_EQ(record.comment, "BRACKET");
    ASSERT_EQ(record.sections.size(), 1u);
    EXPECT_EQ(record.sections[0].holes, (std::map<int, std::int64_t>{{81, 2}, {83, 1}}));
    EXPECT_EQ(record.sections[0].overcutLines, std::vector<std::int64_t>{11});
    EXPECT_EQ(record.sections[0].firstLine, 4);
    EXPECT_EQ(record.sections[0].anchor, "T1_1");
    EXPECT_EQ(record.overcutCount, 1);
    const std::string sheet = result("sheet.html");
    EXPECT_NE(sheet.find("G81 × 2"), std::string::npos);
    EXPECT_NE(sheet.find("<a href=\"data.html#T1_1\">"), std::string::npos);
    EXPECT_NE(sheet.find("<path class=\"f\""), std::string::npos);
    EXPECT_NE(sheet.find(" A"), std::string::npos);  // the arc drawn as an arc
    EXPECT_NE(sheet.find("<circle class=\"h\""), std::string::npos);
    EXPECT_EQ(r.sheet, resultDir() + "/sheet.html");
}

TEST_F(Sheet, RunThatEndsEarlyLeavesNoSheetAndRemovesAnOlderOne)
{
    ASSERT_EQ(runWith("G00 X10.\nM30\n").outcome, run::RunOutcome::Completed);
    ASSERT_TRUE(std::filesystem::exists(resultDir() + "/sheet.html"));
    fakes.messages.answers = {util::MessageBoxService::Result::Ok};
    const run::RunResult failed = runWith("G00 X10.\nG01 X-A5\nM30\n");
    EXPECT_EQ(failed.outcome, run::RunOutcome::Stopped);
    EXPECT_FALSE(std::filesystem::exists(resultDir() + "/sheet.html"));
    EXPECT_EQ(failed.record->outcome, run::RecordOutcome::Failed);
    EXPECT_EQ(failed.record->messages.back(), "'-A5' は浮動小数点数ではありません.");
    EXPECT_TRUE(failed.sheet.empty());
}

// A long program of many tools, dense zigzags and holes stays within the sheet's bounds.
TEST_F(Sheet, StaysBoundedOnALongProgram)
{
    std::string program;
    for (int tool = 1; tool <= 40; ++tool) {
        program += "T" + std::to_string(tool) + " M06 (TOOL " + std::to_string(tool) + ")\nG00 X0. Y0. Z5.\nG01 Z-1. F500\n";
        for (int i = 0; i < 2500; ++i) {
            program += "X" + std::to_string((i * 7919 + tool) % 20000) + " Y" + std::to_string((i * 104729) % 15000) +
                       "\n";
            if (i % 100 == 0) {
                program += "G02 X" + std::to_string(i % 20000) + " Y0 R5000\n";
            }
        }
        program += "G00 Z5.\nG81 X0. Y0. Z-5. R2.\n";
        for (int h = 0; h < 200; ++h) {
            program += "X" + std::to_string(h * 97 % 20000) + " Y" + std::to_string(h * 31 % 15000) + "\n";
        }
        program += "G80\n";
    }
    program += "M30\n";
    ASSERT_EQ(runWith(program).outcome, run::RunOutcome::Completed);
    const std::string sheet = result("sheet.html");
    EXPECT_LT(sheet.size(), 4u * 1024 * 1024);
    std::size_t pictures = 0;
    for (std::size_t at = sheet.find("<svg"); at != std::string::npos; at = sheet.find("<svg", at + 1)) {
        EXPECT_LT(sheet.find("</svg>", at) - at, 256u * 1024);
        ++pictures;
    }
    EXPECT_EQ(pictures, 41u);
}

}  // namespace
