#include "sheet/SheetPage.h"
#include "sheet/FindingsBlock.h"
#include "sheet/PictureSvg.h"
#include "sheet/SectionDrawings.h"
#include "sheet/ToolTable.h"

#include "report/BlockEntries.h"
#include "report/CycleNames.h"
#include "util/File.h"
#include "util/Number.h"

#include <algorithm>
#include <filesystem>

namespace sheet {

namespace {

constexpr const char* kStyle = R"(<style>
body { font-family: "IPAGothic", "Noto Sans CJK JP", sans-serif; font-size: 13px; color: #1b1b1b; margin: 16px; max-width: 820px; }
h1 { font-size: 20px; margin: 0 0 8px; }
h2 { font-size: 16px; margin: 0 0 6px; padding: 4px 8px; background: #37474f; color: #fff; }
table { border-collapse: collapse; margin: 4px 0 8px; }
th, td { border: 1px solid #b0bec5; padding: 2px 8px; text-align: left; vertical-align: top; }
th { background: #eceff1; font-weight: normal; white-space: nowrap; }
td.num { text-align: right; font-family: monospace; white-space: nowrap; }
table.legend td { border: none; padding: 1px 6px 1px 0; font-size: 12px; }
.swatch { display: inline-block; width: 24px; border-top: 3px solid; vertical-align: middle; }
.figures { display: flex; flex-wrap: wrap; gap: 0 16px; }
section { margin: 16px 0; }
section.tool { border: 1px solid #cfd8dc; padding: 8px; }
svg.toolpath { max-width: 100%; height: auto; display: block; border: 1px solid #eceff1; }
.error { color: #c62828; font-weight: bold; }
table.findings td { font-size: 12px; }
table.tools { font-size: 12px; }
table.tools td, table.tools th { padding: 2px 5px; }
p.operations { font-weight: bold; color: #37474f; }
tr.finding-error td:nth-child(2) { color: #c62828; font-weight: bold; }
tr.finding-warning td:nth-child(2) { color: #e65100; }
tr.finding-info td:nth-child(2) { color: #546e7a; }
code { font-size: 11px; color: #546e7a; }
a { color: #1565c0; }
@media print {
  @page { size: A4 portrait; margin: 12mm; }
  body { margin: 0; max-width: none; font-size: 11px; }
  section.tool { break-inside: avoid; page-break-inside: avoid; }
  svg.toolpath { width: auto; max-height: 150mm; }
  section.overview { break-after: page; page-break-after: always; }
  .keep { break-inside: avoid; page-break-inside: avoid; }
  h2 { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
  a { color: inherit; text-decoration: none; }
}
</style>
)";

void escape(std::string& out, std::string_view text)
{
    report::appendEscapedHtml(out, text);
}

std::string extentText(double minimum, double maximum, bool upper)
{
    if (!record::extentSet(minimum, maximum)) {
        return "—";
    }
    return util::formatCoordinate(upper ? maximum : minimum);
}

void appendRow(std::string& out, std::string_view label, std::string_view value, bool number = false)
{
    out += "<tr><th>";
    out += label;
    out += number ? "</th><td class=\"num\">" : "</th><td>";
    out += value;
    out += "</td></tr>\n";
}

void appendFigures(std::string& out, const report::Figures& f, const double* cutLength, double machineTime,
                   bool showMachine, const std::string& units)
{
    // The extents in the program's units, named beside them.
    out += "<div class=\"figures\"><table>\n<tr><th>";
    out += units == "mixed" ? "mm / inch" : units.empty() ? "mm" : units;
    out += "</th><th>最小</th><th>最大</th></tr>\n";
    const struct {
        const char* axis;
        double minimum, maximum;
    } axes[] = {{"X", f.xMin, f.xMax}, {"Y", f.yMin, f.yMax}, {"Z", f.zMin, f.zMax}};
    for (const auto& axis : axes) {
        out += "<tr><th>";
        out += axis.axis;
        out += "</th><td class=\"num\">";
        out += extentText(axis.minimum, axis.maximum, false);
        out += "</td><td class=\"num\">";
        out += extentText(axis.minimum, axis.maximum, true);
        out += "</td></tr>\n";
    }
    out += "</table>\n<table>\n";
    appendRow(out, "早送時間", sheetTime(f.rapidTime), true);
    appendRow(out, "切削時間", sheetTime(f.cutTime), true);
    appendRow(out, "加工時間", sheetTime(f.totalTime), true);
    if (showMachine) {
        appendRow(out, "機械時間", sheetTime(machineTime), true);
    }
    if (cutLength) {
        appendRow(out, "切削長", util::formatFixed(*cutLength, 3), true);
    }
    out += "</table></div>\n";
}

// The tools' colours as a table under the picture: two tools a row past ten.
void appendLegend(std::string& out, const std::vector<SheetPictures::LegendEntry>& legend)
{
    const std::size_t perRow = legend.size() > 10 ? 2 : 1;
    out += "<table class=\"legend\">\n";
    for (std::size_t i = 0; i < legend.size(); i += perRow) {
        out += "<tr>";
        for (std::size_t k = i; k < i + perRow && k < legend.size(); ++k) {
            out += "<td><span class=\"swatch\" style=\"border-top-color:";
            out += toolColour(legend[k].colour);
            out += "\"></span></td><td>";
            out += legend[k].label;
            out += "</td>";
        }
        out += "</tr>\n";
    }
    out += "</table>\n";
}

std::string fileName(const std::string& path)
{
    return util::utf8Path(util::nativePath(path).filename());
}

}  // namespace

std::string sheetTime(double minutes)
{
    const util::HoursMinutes hm = util::splitMinutes(minutes);
    return util::formatInt(hm.hours) + "時間" + util::formatInt(hm.minutes) + "分 (" + util::formatFixed(minutes, 1) +
           " 分)";
}

std::string sheetPage(const record::ProgramRecord& record, SheetPictures& pictures, const std::string& endedEarly)
{
    std::string out;
    out += "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n<title>段取りシート ";
    escape(out, fileName(record.file));
    out += "</title>\n";
    out += kStyle;
    out += "</head>\n<body>\n<header>\n<h1>段取りシート ";
    escape(out, fileName(record.file));
    out += "</h1>\n<table>\n";
    std::string value;
    escape(value, fileName(record.file));
    appendRow(out, "ファイル", value);
    value.clear();
    escape(value, record.name);
    appendRow(out, "プログラム番号", value);
    value.clear();
    escape(value, record.comment);
    appendRow(out, "コメント", value);
    appendRow(out, "解析日時", record.analysedAt);
    value = record.startKnown ? "X" + util::formatGeneral(record.startX) + " Y" + util::formatGeneral(record.startY) +
                                    " Z" + util::formatGeneral(record.startZ) + (record.startInch ? " inch" : " mm")
                              : std::string("—");
    if (record.startKnown && record.startInch && record.startX == 0.0 && record.startY == 0.0 &&
        record.startZ == 200.0) {
        // The default start point is a millimetre one: read in inches it is 5 m up.
        value += "<br><span class=\"note\">インチのプログラムなので、既定のスタート点 Z200 は 200 インチ "
                 "(5080 mm) の高さと読んでいます。実機のスタート点を指定してください。</span>";
    }
    appendRow(out, "スタート点", value);
    appendRow(out, "工具径補正チェック", record.offsetCheck ? "する" : "しない");
    value.clear();
    if (record.machine.file.empty()) {
        value = "なし (従来の時間)";
    } else {
        escape(value, record.machine.name.empty() ? fileName(record.machine.file) : record.machine.name);
        if (record.machine.isClassic()) {
            value += " (従来の時間)";
        }
    }
    appendRow(out, "機械プロファイル", value);
    appendRow(out, "工具セクション数", util::formatInt(static_cast<long long>(record.sections.size())), true);
    value = util::formatInt(record.overcutCount);
    if (record.overcutCount > 0) {
        value = "<span class=\"error\">" + value + "</span>";
    }
    appendRow(out, "切込過ぎエラー", value, true);
    out += "</table>\n<p><a href=\"index.html\">NC解析レポートを開く</a></p>\n";
    if (!endedEarly.empty()) {
        out += "<p class=\"error\">";
        escape(out, endedEarly);
        out += "<br>以下の数字と図はそこまでに読んだ分です。</p>\n";
    }
    out += "</header>\n";
    appendToolTable(out, record);
    appendFindingsBlock(out, record.findings);

    // The text of the section blocks first: the pictures get what is left of the budget.
    const std::size_t shown = std::min(record.sections.size(), kMaxSectionBlocks);
    std::vector<std::string> blocks(shown);
    std::size_t textSize = out.size() + 4096;
    for (std::size_t i = 0; i < shown; ++i) {
        const record::SectionRecord& s = record.sections[i];
        std::string& b = blocks[i];
        b += "<section class=\"tool\" id=\"section";
        b += util::formatInt(s.index);
        b += "\">\n<h2>";
        b += util::formatInt(s.index);
        b += ". T";
        b += util::formatInt(s.tool);
        if (!s.description.empty()) {
            b += " — ";
            escape(b, s.description);
        }
        b += "</h2>\n<p>NC行 ";
        b += util::formatInt(s.firstLine);
        b += "–";
        b += util::formatInt(s.lastLine);
        if (!s.anchor.empty()) {
            b += " · <a href=\"data.html#";
            b += s.anchor;
            b += "\">リストの工具見出しへ</a>";
        }
        b += "</p>\n";
        appendSectionFacts(b, s);
        appendFigures(b, s.figures, &s.cutLength, s.machineTime, !record.machine.isClassic(), s.units);
        if (!s.holes.empty()) {
            b += "<p>穴: ";
            bool first = true;
            for (const auto& [code, count] : s.holes) {
                b += first ? "" : ", ";
                first = false;
                b += "G";
                b += util::formatInt(code);
                b += " × ";
                b += util::formatInt(count);
                b += " (";
                escape(b, report::cycleName(code));
                b += ")";
            }
            b += "</p>\n";
        }
        if (!s.overcutLines.empty()) {
            b += "<p class=\"error\">切込過ぎエラー (NC行): ";
            for (std::size_t k = 0; k < s.overcutLines.size() && k < kMaxOvercutLinesShown; ++k) {
                b += k == 0 ? "" : ", ";
                b += util::formatInt(s.overcutLines[k]);
            }
            if (s.overcutLines.size() > kMaxOvercutLinesShown) {
                b += " ほか ";
                b += util::formatInt(static_cast<long long>(s.overcutLines.size() - kMaxOvercutLinesShown));
                b += " 件";
            }
            b += "</p>\n";
        }
        appendSectionFindings(b, record.findings, s.firstLine, s.lastLine);
        textSize += b.size() + 32;
    }

    // Pictures: the whole program within its own budget, the sections sharing the rest.
    const std::size_t left = kSheetBudget > textSize + SheetPictures::kPictureBudget
                                 ? kSheetBudget - textSize - SheetPictures::kPictureBudget
                                 : 0;
    const std::size_t perSection =
        shown == 0 ? 0 : std::min(SheetPictures::kPictureBudget, left / shown * 9 / 10);

    // The heading, the figures and the picture print on one page; the legend may run on.
    out += "<section class=\"overview\">\n<div class=\"keep\">\n<h2>プログラム全体</h2>\n";
    appendFigures(out, record.total, nullptr, record.machineTotal, !record.machine.isClassic(),
                  programUnits(record));
    if (record.machineUntimedHoles > 0) {
        out += "<p class=\"note\">送り速度 F の指定がないままの穴 ";
        out += util::formatInt(static_cast<long long>(record.machineUntimedHoles));
        out += " 個は機械時間に含まれていません。</p>\n";
    }
    if (record.machineEstimated) {
        out += "<p class=\"note\">動きが細かすぎて先読みしきれない箇所があり、機械時間は見積もりです"
               " (やや長めになります)。</p>\n";
    }
    if (record.machineUntimedReferences > 0) {
        out += "<p class=\"note\">機械原点への復帰など、マシンプロファイルに終点がない移動 ";
        out += util::formatInt(static_cast<long long>(record.machineUntimedReferences));
        out += " 回は機械時間に含まれていません（Z は開始点の高さに戻るものとして読んでいます）。</p>\n";
    }
    // The sections' helper draws the first of them while the whole program's picture is
    // drawn (ahead, on a thread of its own, or here).
    SectionDrawings drawings(pictures.sectionPictures(), shown, perSection, [](ToolpathPicture& picture, std::size_t i) {
        return pictureSvg(picture, 560, "section" + util::formatInt(static_cast<long long>(i + 1)), true);
    });
    const std::string whole = pictures.wholeDrawing();
    out += whole;
    out += "</div>\n";
    if (!whole.empty()) {
        appendLegend(out, pictures.legend(record));
    }
    out += "</section>\n";
    for (std::size_t i = 0; i < shown; ++i) {
        out += blocks[i];
        out += drawings.take(i);
        out += "</section>\n";
    }
    if (record.sections.size() > shown) {
        out += "<p>ほか ";
        out += util::formatInt(static_cast<long long>(record.sections.size() - shown));
        out += " セクションは JSON 要約を見てください。</p>\n";
    }
    out += "</body>\n</html>\n";
    return out;
}

}  // namespace sheet
