// The page structure of the tool index (jump.html) and the listing (data.html): every
// fixed fragment in code page 932 with CR LF line ends, and the few that take values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace report {

class ReportSkeleton {
public:
    // `dataPath`: the listing's full path (UTF-8), as the links of the index name it.
    explicit ReportSkeleton(std::string_view dataPath);

    std::string tableStart, rowStartFirst, rowStartSecond, textCellEnd, sectionCellStart, sectionRowBreak;
    std::string infoBlockEnd, sectionEnd, entryCellStartFirst, entryCellStartSecond, compensatedEntryCellStart;
    std::string lineBreak, entryCellEnd, finalReportStart, finalReportEnd, listingIndexCellStart;
    std::string toolIndexCellStart, finalReportLink, indexCellEnd, tableEnd, pageEnd;

    void appendInfoBlockStart(std::string& out, int sectionNumber, int tool) const;
    void appendToolHeading(std::string& out, int tool, std::string_view anchorName, int sectionNumber) const;
    // One link per anchor name, in order, then the final report link.
    void appendIndexLinks(std::string& out, const std::vector<std::string>& anchorNames) const;

private:
    ReportSkeleton();  // the fixed texts, without the links
    static const ReportSkeleton& fixedTexts();

    std::string dataLink_;  // the data path as written into links
    std::string infoTool_, infoToolEnd_, headingTool_, headingMachining_, headingEnd_, finalReportLinkEnd_;
};

// The anchor name of a tool heading: "T" + tool + "_" + section number.
std::string anchorName(int tool, int sectionNumber);

}  // namespace report
