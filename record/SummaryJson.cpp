#include "record/SummaryJson.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace record {

namespace {

using json = nlohmann::ordered_json;

// [min, max], or null for an axis that no move has set.
json extent(double minimum, double maximum)
{
    return extentSet(minimum, maximum) ? json::array({minimum, maximum}) : json(nullptr);
}

// [min, max], or null when nothing gave one.
json range(const std::optional<std::pair<double, double>>& r)
{
    return r ? json::array({r->first, r->second}) : json(nullptr);
}

json extents(const report::Figures& f)
{
    return {{"x", extent(f.xMin, f.xMax)}, {"y", extent(f.yMin, f.yMax)}, {"z", extent(f.zMin, f.zMax)}};
}

json times(const report::Figures& f)
{
    return {{"rapid", f.rapidTime}, {"cut", f.cutTime}, {"total", f.totalTime}};
}

json axesOrNull(const std::optional<std::array<double, 3>>& values)
{
    if (!values) {
        return nullptr;
    }
    json result;
    for (std::size_t k = 0; k < 3; ++k) {
        const char* axis[] = {"x", "y", "z"};
        // An axis without a limit is null.
        result[axis[k]] = std::isfinite((*values)[k]) ? json((*values)[k]) : json(nullptr);
    }
    return result;
}

// {"x": [min, max] or null, ...}, or null when the profile gives no travel at all.
json limitsOrNull(const std::array<std::optional<std::pair<double, double>>, 3>& limits)
{
    if (!limits[0] && !limits[1] && !limits[2]) {
        return nullptr;
    }
    json result;
    const char* axis[] = {"x", "y", "z"};
    for (std::size_t k = 0; k < 3; ++k) {
        result[axis[k]] = limits[k] ? json::array({limits[k]->first, limits[k]->second}) : json(nullptr);
    }
    return result;
}

json machine(const machine::MachineProfile& p)
{
    return {{"name", p.name},
            {"file", p.file},
            {"classic", p.isClassic()},
            {"max_feed", p.maxFeed ? json(*p.maxFeed) : json(nullptr)},
            {"tool_change", p.toolChange},
            {"junction_deviation", p.junctionDeviation},
            {"decimal_point_input", p.wholeUnits ? "whole" : "thousandths"},
            {"rapid_mode", p.rapidMode == machine::RapidMode::Axes ? "axes" : "linear"},
            {"rapid", axesOrNull(p.rapid)},
            {"acceleration", axesOrNull(p.acceleration)},
            {"arc_tolerance", p.arcTolerance},
            {"check_ignore", p.checkIgnore},
            {"limits", limitsOrNull(p.limits)}};
}

const char* outcomeName(RecordOutcome outcome)
{
    switch (outcome) {
    case RecordOutcome::Completed: return "completed";
    case RecordOutcome::Cancelled: return "cancelled";
    case RecordOutcome::Failed: break;
    }
    return "failed";
}

}  // namespace

std::string summaryJson(const ProgramRecord& record)
{
    json sections = json::array();
    for (const SectionRecord& s : record.sections) {
        json holes = json::object();
        for (const auto& [code, count] : s.holes) {
            holes[std::to_string(code)] = count;
        }
        json offsets = json::array();
        for (const int code : s.workOffsets) {
            offsets.push_back("G" + std::to_string(code));
        }
        json stops = json::array();
        for (const SectionRecord::Stop& stop : s.stops) {
            stops.push_back({{"line", stop.line}, {"code", stop.optional ? "M01" : "M00"}, {"comment", stop.comment}});
        }
        sections.push_back({{"index", s.index},
                            {"tool", s.tool},
                            {"description", s.description},
                            {"first_line", s.firstLine},
                            {"last_line", s.lastLine},
                            {"extents", extents(s.figures)},
                            {"time_min", times(s.figures)},
                            {"machine_time_min", s.machineTime},
                            {"cut_length", s.cutLength},
                            {"holes", holes},
                            {"overcut_lines", s.overcutLines},
                            {"feed", range(s.feed)},
                            {"spindle", range(s.spindle)},
                            {"units", s.units.empty() ? json(nullptr) : json(s.units)},
                            {"work_offsets", offsets},
                            {"stops", stops},
                            {"operations", s.operations}});
    }
    json findings = json::array();
    for (const checks::Finding& f : record.findings) {
        json finding = {{"code", checks::codeName(f.code)},
                        {"severity", checks::severityName(f.severity)},
                        {"line", f.line},
                        {"message", f.message}};
        if (f.fileLine != 0) {
            finding["file_line"] = f.fileLine;
        }
        findings.push_back(std::move(finding));
    }
    const auto bySeverity = checks::countBySeverity(record.findings);
    const json counts = {{"error", bySeverity[0]}, {"warning", bySeverity[1]}, {"info", bySeverity[2]}};
    json start = record.startKnown ? json{{"x", record.startX},
                                                         {"y", record.startY},
                                                         {"z", record.startZ},
                                                         {"units", record.startInch ? "inch" : "mm"}}
                                   : json(nullptr);
    json document = {
        {"program", {{"file", record.file}, {"name", record.name}, {"comment", record.comment}}},
        {"analysed_at", record.analysedAt},
        {"start", start},
        {"offset_check", record.offsetCheck},
        {"machine", machine(record.machine)},
        {"lines", record.lines},
        {"sections", sections},
        {"total",
         {{"extents", extents(record.total)},
          {"time_min", times(record.total)},
          {"machine_time_min", record.machineTotal},
          {"machine_untimed_holes", record.machineUntimedHoles}}},
        {"overcut_count", record.overcutCount},
        {"checks", findings},
        {"check_counts", counts},
        {"outcome", outcomeName(record.outcome)},
        {"messages", record.messages},
    };
    // Only where it happened, so a program without reference moves reads as it always has.
    if (record.machineEstimated) {
        document["total"]["machine_time_estimated"] = true;
    }
    if (record.machineUntimedReferences > 0) {
        document["total"]["machine_untimed_moves"] = record.machineUntimedReferences;
    }
    // Texts that are not UTF-8 (a path of another encoding) are replaced, never thrown on.
    return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace record
