#include "report/RunSummary.h"
#include "tests/nc/AnalyzerSupport.h"
#include "util/Cp932.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::string linesOf(const report::Figures& f, report::LinesFor where)
{
    std::string out;
    report::appendExtentsAndTimeLines(out, f, where);
    return util::cp932ToUtf8(out);
}

TEST(RunSummary, InfoBlockLinesExample)
{
    report::Figures f;
    f.xMax = 50;
    f.yMax = 20;
    f.zMax = 100;
    f.xMin = 0;
    f.yMin = 0;
    f.zMin = -5;
    f.rapidTime = 1.2;
    f.cutTime = 75.4;
    f.totalTime = 76.6;
    EXPECT_EQ(linesOf(f, report::LinesFor::InfoBlock),
              " Xmax= +50.000 Ymax= +20.000 Zmax= +100.000<br>\r\n"
              " Xmin= +0.000 Ymin= +0.000 Zmin= -5.000<br>\r\n"
              " 早送時間：0h1min  切削時間：1h15min  加工時間：1h17min ");
    EXPECT_EQ(linesOf(f, report::LinesFor::FinalReport),
              " Xmax= +50.000 Ymax= +20.000 Zmax= +100.000<br>\r\n"
              " Xmin= +0.000 Ymin= +0.000 Zmin= -5.000<br>\r\n"
              " 早送時間：0h1min 切削時間：1h15min 加工時間：1h17min");
}

TEST(RunSummary, EmptyFiguresPrintTheResetValues)
{
    EXPECT_EQ(linesOf(report::Figures{}, report::LinesFor::FinalReport),
              " Xmax= -9999.000 Ymax= -9999.000 Zmax= -9999.000<br>\r\n"
              " Xmin= +9999.000 Ymin= +9999.000 Zmin= +9999.000<br>\r\n"
              " 早送時間：0h0min 切削時間：0h0min 加工時間：0h0min");
}

TEST(RunSummary, MinutesRoundBeforeTheHoursAreSplit)
{
    report::Figures f;
    f.rapidTime = 119.7;
    f.cutTime = 59.6;
    f.totalTime = 60.0;
    const std::string lines = linesOf(f, report::LinesFor::FinalReport);
    EXPECT_NE(lines.find("早送時間：2h0min 切削時間：1h0min 加工時間：1h0min"), std::string::npos) << lines;
}

TEST(RunSummary, FoldTakesTheSectionAndWidensTheProgram)
{
    report::RunSummary summary;
    nc::IsoNcAnalyzer a;
    nctest::startRun(a, "G92X0.Y0.Z0.");
    a.setLine("G01 X10. Y5. Z-3. F60");
    report::foldSection(summary, a);
    a.resetExtents();
    a.resetSums();
    a.setLine("G00 Z20.");
    report::foldSection(summary, a);
    EXPECT_EQ(summary.sectionCutLength, 0.0);
    EXPECT_EQ(summary.section.zMax, 20.0);
    EXPECT_EQ(summary.section.xMax, nc::kExtentStartMax);
    EXPECT_EQ(summary.program.xMax, 10.0);
    EXPECT_EQ(summary.program.zMin, -3.0);
    EXPECT_EQ(summary.program.zMax, 20.0);
    EXPECT_DOUBLE_EQ(summary.program.cutTime, std::sqrt(134.0) / 60.0);
    EXPECT_DOUBLE_EQ(summary.program.totalTime, std::sqrt(134.0) / 60.0 + 23.0 / 5000.0);
    report::resetForRun(summary);
    EXPECT_EQ(summary, report::RunSummary{});
}

}  // namespace
