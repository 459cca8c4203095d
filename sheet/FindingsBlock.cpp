#include "sheet/FindingsBlock.h"

#include "report/BlockEntries.h"
#include "util/Number.h"

#include <algorithm>
#include <map>

namespace sheet {

namespace {

const char* severityLabel(checks::Severity severity)
{
    switch (severity) {
    case checks::Severity::Error: return "エラー";
    case checks::Severity::Warning: return "警告";
    case checks::Severity::Info: break;
    }
    return "情報";
}

void appendFinding(std::string& out, const checks::Finding& f)
{
    out += "<tr class=\"finding-";
    out += checks::severityName(f.severity);
    out += "\"><td class=\"num\">";
    out += util::formatInt(f.line);
    out += "</td><td>";
    out += severityLabel(f.severity);
    out += "</td><td>";
    report::appendEscapedHtml(out, f.message);
    out += " <code>";
    out += checks::codeName(f.code);
    out += "</code></td></tr>\n";
}

}  // namespace

void appendFindingsBlock(std::string& out, const std::vector<checks::Finding>& findings)
{
    const auto counts = checks::countBySeverity(findings);
    out += "<section class=\"checks\">\n<h2>プログラムチェック</h2>\n<p>";
    out += "エラー " + util::formatInt(static_cast<long long>(counts[0])) + " 件、警告 " +
           util::formatInt(static_cast<long long>(counts[1])) + " 件、情報 " +
           util::formatInt(static_cast<long long>(counts[2])) + " 件";
    if (findings.empty()) {
        out += "</p>\n</section>\n";
        return;
    }
    out += "</p>\n<table class=\"findings\">\n<tr><th>NC行</th><th>重要度</th><th>内容</th></tr>\n";
    // Errors first, each severity in line order; a code past its share is counted.
    std::map<std::string, std::size_t> shown;
    std::map<std::string, std::size_t> left;
    for (const checks::Severity severity : {checks::Severity::Error, checks::Severity::Warning, checks::Severity::Info}) {
        for (const checks::Finding& f : findings) {
            if (f.severity != severity) {
                continue;
            }
            const std::string code = checks::codeName(f.code);
            if (++shown[code] > kMaxFindingsShown) {
                ++left[code];
                continue;
            }
            appendFinding(out, f);
        }
    }
    out += "</table>\n";
    for (const auto& [code, count] : left) {
        out += "<p>ほか <code>" + code + "</code> " + util::formatInt(static_cast<long long>(count)) +
               " 件 (JSON 要約にすべてあります)</p>\n";
    }
    out += "</section>\n";
}

void appendSectionFindings(std::string& out, const std::vector<checks::Finding>& findings, std::int64_t first,
                           std::int64_t last)
{
    const auto [begin, end] = checks::findingsOn(findings, first, last);
    if (begin == end) {
        return;
    }
    out += "<table class=\"findings\">\n<tr><th>NC行</th><th>重要度</th><th>内容</th></tr>\n";
    std::size_t count = 0;
    for (auto it = begin; it != end; ++it) {
        if (++count > kMaxFindingsShown) {
            break;
        }
        appendFinding(out, *it);
    }
    out += "</table>\n";
    if (count > kMaxFindingsShown) {
        out += "<p>ほか " + util::formatInt(static_cast<long long>(std::distance(begin, end)) - kMaxFindingsShown) +
               " 件</p>\n";
    }
}

}  // namespace sheet
