#include "sheet/ToolTable.h"

#include "report/BlockEntries.h"
#include "util/Number.h"

namespace sheet {

namespace {

std::string number(double value)
{
    return util::formatGeneral(value);
}

// "300–800", one value when both ends agree, "—" when nothing gave one.
std::string rangeText(const std::optional<std::pair<double, double>>& range)
{
    if (!range) {
        return "—";
    }
    if (range->first == range->second) {
        return number(range->first);
    }
    return number(range->first) + "–" + number(range->second);
}

std::string unitsText(const std::string& units)
{
    return units == "mixed" ? "mm / inch" : units.empty() ? "—" : units;
}

void cell(std::string& out, const std::string& text, bool numeric = false)
{
    out += numeric ? "<td class=\"num\">" : "<td>";
    out += text;
    out += "</td>";
}

}  // namespace

std::string programUnits(const record::ProgramRecord& record)
{
    std::string units;
    for (const record::SectionRecord& s : record.sections) {
        if (s.units.empty()) {
            continue;
        }
        units = units.empty() || units == s.units ? s.units : "mixed";
    }
    return unitsText(units.empty() ? "mm" : units);
}

void appendToolTable(std::string& out, const record::ProgramRecord& record)
{
    const bool machine = !record.machine.isClassic();
    out += "<section class=\"tools\">\n<h2>工具一覧</h2>\n<table class=\"tools\">\n<thead><tr><th>#</th><th>T</th>"
           "<th>工具</th><th>単位</th><th>Z最小 (深さ)</th><th>Z最大</th><th>送り F</th><th>主軸 S</th><th>切削長</th>"
           "<th>加工時間</th>";
    if (machine) {
        out += "<th>機械時間</th>";
    }
    out += "<th>穴</th><th>切込過ぎ</th><th>チェック</th></tr></thead>\n<tbody>\n";
    for (const record::SectionRecord& s : record.sections) {
        out += "<tr>";
        cell(out, "<a href=\"#section" + util::formatInt(s.index) + "\">" + util::formatInt(s.index) + "</a>", true);
        cell(out, "T" + util::formatInt(s.tool));
        std::string description;
        report::appendEscapedHtml(description, s.description);
        cell(out, description);
        cell(out, unitsText(s.units));
        const bool z = record::extentSet(s.figures.zMin, s.figures.zMax);
        cell(out, z ? util::formatCoordinate(s.figures.zMin) : "—", true);
        cell(out, z ? util::formatCoordinate(s.figures.zMax) : "—", true);
        cell(out, rangeText(s.feed), true);
        cell(out, rangeText(s.spindle), true);
        cell(out, util::formatFixed(s.cutLength, 1), true);
        cell(out, util::formatFixed(s.figures.totalTime, 1) + " 分", true);
        if (machine) {
            cell(out, util::formatFixed(s.machineTime, 1) + " 分", true);
        }
        std::int64_t holes = 0;
        for (const auto& [code, count] : s.holes) {
            holes += count;
        }
        cell(out, holes > 0 ? util::formatInt(holes) : "", true);
        cell(out, s.overcutLines.empty() ? "" : "<span class=\"error\">" + util::formatInt(static_cast<long long>(s.overcutLines.size())) + "</span>", true);
        const auto [begin, end] = checks::findingsOn(record.findings, s.firstLine, s.lastLine);
        const auto findings = std::distance(begin, end);
        cell(out, findings > 0 ? util::formatInt(static_cast<long long>(findings)) : "", true);
        out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n</section>\n";
}

void appendSectionFacts(std::string& out, const record::SectionRecord& s)
{
    if (!s.operations.empty()) {
        out += "<p class=\"operations\">";
        for (std::size_t i = 0; i < s.operations.size(); ++i) {
            out += i == 0 ? "" : " · ";
            report::appendEscapedHtml(out, s.operations[i]);
        }
        out += "</p>\n";
    }
    out += "<p>送り F " + rangeText(s.feed) + " · 主軸 S " + rangeText(s.spindle) + " · 単位 " + unitsText(s.units);
    if (!s.workOffsets.empty()) {
        out += " · ワーク座標";
        for (const int code : s.workOffsets) {
            out += " G" + util::formatInt(code);
        }
    }
    out += "</p>\n";
    if (!s.stops.empty()) {
        out += "<p>停止: ";
        for (std::size_t i = 0; i < s.stops.size(); ++i) {
            const record::SectionRecord::Stop& stop = s.stops[i];
            out += i == 0 ? "" : ", ";
            out += "NC行 " + util::formatInt(stop.line) + (stop.optional ? " M01" : " M00");
            if (!stop.comment.empty()) {
                out += " (";
                report::appendEscapedHtml(out, stop.comment);
                out += ")";
            }
        }
        out += "</p>\n";
    }
}

}  // namespace sheet
