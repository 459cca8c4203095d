#include "report/ReportSkeleton.h"

#include "util/Cp932.h"
#include "util/Kazu.h"
#include "util/Number.h"

namespace report {

namespace {

// Report text: code page 932, every line feed written as CR LF.
std::string reportText(std::string_view utf8)
{
    const std::string cp932 = util::toCp932(utf8);
    std::string out;
    out.reserve(cp932.size() + 8);
    for (const char c : cp932) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

}  // namespace

std::string anchorName(int tool, int sectionNumber)
{
    return "T" + util::formatInt(tool) + "_" + util::formatInt(sectionNumber);
}

ReportSkeleton::ReportSkeleton(std::string_view dataPath) : ReportSkeleton(fixedTexts())
{
    dataLink_ = util::pathToCp932Link(dataPath);
    finalReportLink = "<a href=\"" + dataLink_ + finalReportLinkEnd_;
}

const ReportSkeleton& ReportSkeleton::fixedTexts()
{
    // Converting the texts costs more than a short run: once per process.
    static const ReportSkeleton texts;
    return texts;
}

ReportSkeleton::ReportSkeleton()
    : tableStart(reportText("<div><table><tbody>\n")),
      rowStartFirst(reportText("<tr><td class=\"DATA1\">\n")),
      rowStartSecond(reportText("<tr><td class=\"DATA2\">\n")),
      textCellEnd(reportText("\n</td>\n")),
      sectionCellStart(reportText("<td>\n")),
      sectionRowBreak(reportText("</td></tr><tr><td colspan=\"2\">")),
      infoBlockEnd(reportText("<br><br>\n</div><hr><hr><div class=\"DATA1\"></div>\n")),
      sectionEnd(reportText(" </td></tr>\n<tr>\n")),
      entryCellStartFirst(reportText("<td class=\"DATA1\">\n")),
      entryCellStartSecond(reportText("<td class=\"DATA2\">\n")),
      compensatedEntryCellStart(reportText("<td class=\"HOSEI\">\n")),
      lineBreak(reportText("<br>\n")),
      entryCellEnd(reportText("\n</td></tr>\n")),
      finalReportStart(reportText("<tr><td colspan=\"2\"><div class=\"INFO\"><a name=\"last\">＜最終レポート＞<br>\n")),
      finalReportEnd(reportText("<br>\n</div></td></tr>\n")),
      listingIndexCellStart(reportText("<tr><td class=\"INDEX\" colspan=\"2\">\n")),
      toolIndexCellStart(reportText("<tr><td class=\"INDEX\">\n")),
      indexCellEnd(reportText("</td></tr>\n")),
      tableEnd(reportText("</tbody></table></div>\n")),
      pageEnd(reportText("</body></html>\n")),
      infoTool_(reportText("\"><div class=\"INFO\">「 T")),
      infoToolEnd_(reportText(" 情報」<br>\n")),
      headingTool_(reportText("<div class=\"T-NO\">＜ T")),
      headingMachining_(reportText(" ＞加工<a name=\"")),
      headingEnd_(reportText(".......情報はこちら</a></div>\n")),
      finalReportLinkEnd_(reportText("#last \" target=\"ncdata\">最終レポート</a>\n"))
{
}

void ReportSkeleton::appendInfoBlockStart(std::string& out, int sectionNumber, int tool) const
{
    out += "<hr><a name=\"tinfo";
    out += util::formatInt(sectionNumber);
    out += infoTool_;
    out += util::formatInt(tool);
    out += infoToolEnd_;
}

void ReportSkeleton::appendToolHeading(std::string& out, int tool, std::string_view anchor, int sectionNumber) const
{
    out += headingTool_;
    out += util::formatInt(tool);
    out += headingMachining_;
    out += anchor;
    out += "\"><a href=\"#tinfo";
    out += util::formatInt(sectionNumber);
    out += "\">";
    out += headingEnd_;
}

void ReportSkeleton::appendIndexLinks(std::string& out, const std::vector<std::string>& anchorNames) const
{
    for (const std::string& anchor : anchorNames) {
        out += "<a href=\"";
        out += dataLink_;
        out += '#';
        out += anchor;
        out += "\" target=\"ncdata\">";
        out += util::textThrough(anchor, "_");
        out += "</a>\r\n";
    }
    out += finalReportLink;
}

}  // namespace report
