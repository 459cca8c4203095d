#include "report/ReportSkeleton.h"
#include "util/Cp932.h"

#include <gtest/gtest.h>

namespace {

TEST(ReportSkeleton, FragmentsUseCrLfAndCodePage932)
{
    const report::ReportSkeleton s("/w/Result/data.html");
    EXPECT_EQ(s.tableStart, "<div><table><tbody>\r\n");
    EXPECT_EQ(s.textCellEnd, "\r\n</td>\r\n");
    EXPECT_EQ(s.sectionRowBreak, "</td></tr><tr><td colspan=\"2\">");
    EXPECT_EQ(s.sectionEnd, " </td></tr>\r\n<tr>\r\n");
    EXPECT_EQ(s.infoBlockEnd, "<br><br>\r\n</div><hr><hr><div class=\"DATA1\"></div>\r\n");
    EXPECT_EQ(s.finalReportStart,
              "<tr><td colspan=\"2\"><div class=\"INFO\"><a name=\"last\">\x81\x83\x8D\xC5\x8F\x49\x83\x8C\x83\x7C"
              "\x81\x5B\x83\x67\x81\x84<br>\r\n");
    EXPECT_EQ(util::cp932ToUtf8(s.finalReportLink),
              "<a href=\"/w/Result/data.html#last \" target=\"ncdata\">最終レポート</a>\r\n");
}

TEST(ReportSkeleton, InfoBlockAndToolHeading)
{
    const report::ReportSkeleton s("/w/data.html");
    std::string out;
    s.appendInfoBlockStart(out, 0, 12);
    EXPECT_EQ(util::cp932ToUtf8(out), "<hr><a name=\"tinfo0\"><div class=\"INFO\">「 T12 情報」<br>\r\n");
    out.clear();
    s.appendToolHeading(out, 1, "T1_1", 1);
    EXPECT_EQ(util::cp932ToUtf8(out),
              "<div class=\"T-NO\">＜ T1 ＞加工<a name=\"T1_1\"><a href=\"#tinfo1\">.......情報はこちら</a></div>\r\n");
}

TEST(ReportSkeleton, IndexLinksCarryTheLinkTextAndTheDataPath)
{
    const report::ReportSkeleton s("/w/\xE8\xA1\xA8 x/data.html");  // 表 and a blank
    std::string out;
    s.appendIndexLinks(out, {"T1_1", "T12_3"});
    EXPECT_EQ(out,
              "<a href=\"/w/\x95\x5C%20x/data.html#T1_1\" target=\"ncdata\">T1_</a>\r\n"
              "<a href=\"/w/\x95\x5C%20x/data.html#T12_3\" target=\"ncdata\">T12_</a>\r\n" +
                  s.finalReportLink);
    EXPECT_EQ(report::anchorName(-1, 7), "T-1_7");
}

}  // namespace
