#include "cli/FindingReport.h"

#include "util/Number.h"

#include <map>

namespace cli {

namespace {

// Compilers say "note" where the checks say "info".
const char* label(checks::Severity severity)
{
    return severity == checks::Severity::Info ? "note" : checks::severityName(severity);
}

std::string counted(std::size_t count, const char* one, const char* many)
{
    return util::formatInt(static_cast<long long>(count)) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string findingLines(const std::string& file, const std::vector<checks::Finding>& findings)
{
    std::string out;
    std::map<std::string, std::size_t> perCode;
    const auto bySeverity = checks::countBySeverity(findings);
    // The causes of many findings first: the setter reads the reason before its lines.
    for (const bool causes : {true, false}) {
        for (const checks::Finding& f : findings) {
            if (checks::namesACause(f.code) != causes || ++perCode[checks::codeName(f.code)] > kFindingsPerCode) {
                continue;
            }
            // An editor jumps to the line where the block is written.
            out += file + ":" + util::formatInt(f.fileLine != 0 ? f.fileLine : f.line) + ": " + label(f.severity) + ": " + f.message + " [" +
                   checks::codeName(f.code) + "]\n";
        }
    }
    for (const auto& [code, count] : perCode) {
        if (count > kFindingsPerCode) {
            out += file + ": … and " + util::formatInt(static_cast<long long>(count - kFindingsPerCode)) + " more [" +
                   code + "]\n";
        }
    }
    out += file + ": " + counted(bySeverity[0], "error", "errors") + ", " +
           counted(bySeverity[1], "warning", "warnings") + ", " + counted(bySeverity[2], "note", "notes") + "\n";
    return out;
}

bool hasFindingAtLeast(const std::vector<checks::Finding>& findings, checks::Severity severity)
{
    for (const checks::Finding& f : findings) {
        if (static_cast<int>(f.severity) <= static_cast<int>(severity)) {
            return true;
        }
    }
    return false;
}

}  // namespace cli
