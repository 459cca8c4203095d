#include "checks/Finding.h"

#include <algorithm>

namespace checks {

namespace {

constexpr std::array<CheckInfo, kCheckCount> kChecks{{
    {CheckCode::UnreadText, "unread-text", Severity::Warning},
    {CheckCode::NoFeed, "no-feed", Severity::Error},
    {CheckCode::PointLessNumber, "point-less-number", Severity::Warning},
    {CheckCode::SpindleStopped, "spindle-stopped", Severity::Error},
    {CheckCode::ArcEndOffCircle, "arc-end-off-circle", Severity::Error},
    {CheckCode::CompOnArc, "comp-on-arc", Severity::Error},
    {CheckCode::RapidAtDepth, "rapid-at-depth", Severity::Warning},
    {CheckCode::OutsideLimits, "outside-limits", Severity::Error},
    {CheckCode::NoProgramEnd, "no-program-end", Severity::Warning},
    {CheckCode::NotFollowed, "not-followed", Severity::Info},
    {CheckCode::Overcut, "overcut", Severity::Error},
    {CheckCode::RunStopped, "run-stopped", Severity::Error},
    {CheckCode::SubprogramMissing, "subprogram-missing", Severity::Error},
    {CheckCode::SubprogramRecursion, "subprogram-recursion", Severity::Error},
    {CheckCode::CallNesting, "call-nesting", Severity::Error},
    {CheckCode::EndlessRepeat, "endless-repeat", Severity::Info},
    {CheckCode::CycleNoR, "cycle-no-r", Severity::Error},
    {CheckCode::BlockLimit, "block-limit", Severity::Error},
    {CheckCode::MacroError, "macro-error", Severity::Error},
    {CheckCode::MacroAlarm, "macro-alarm", Severity::Error},
    {CheckCode::MacroMessage, "macro-message", Severity::Info},
    {CheckCode::MacroUnsupported, "macro-unsupported", Severity::Error},
    {CheckCode::MacroVacant, "macro-vacant", Severity::Warning},
    {CheckCode::NotRead, "not-read", Severity::Error},
    {CheckCode::Widespread, "widespread", Severity::Warning},
}};

// The table is indexed by the enum: an entry out of place would name the wrong check.
constexpr bool catalogueInOrder()
{
    for (std::size_t i = 0; i < kChecks.size(); ++i) {
        if (static_cast<std::size_t>(kChecks[i].code) != i) {
            return false;
        }
    }
    return true;
}
static_assert(catalogueInOrder());

}  // namespace

const std::array<CheckInfo, kCheckCount>& allChecks()
{
    return kChecks;
}

const CheckInfo& checkInfo(CheckCode code)
{
    return kChecks[static_cast<std::size_t>(code)];
}

const char* codeName(CheckCode code)
{
    return checkInfo(code).name;
}

std::optional<CheckCode> checkCodeOf(std::string_view name)
{
    for (const CheckInfo& c : kChecks) {
        if (name == c.name) {
            return c.code;
        }
    }
    return std::nullopt;
}

bool isCheckCode(std::string_view name)
{
    return checkCodeOf(name).has_value();
}

std::string checkCodeList()
{
    std::string list;
    for (const CheckInfo& c : kChecks) {
        list += list.empty() ? "" : ", ";
        list += c.name;
    }
    return list;
}

const char* severityName(Severity severity)
{
    switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Info: break;
    }
    return "info";
}

std::array<std::size_t, 3> countBySeverity(const std::vector<Finding>& findings)
{
    std::array<std::size_t, 3> counts{};
    for (const Finding& f : findings) {
        ++counts[static_cast<std::size_t>(f.severity)];
    }
    return counts;
}

std::pair<std::vector<Finding>::const_iterator, std::vector<Finding>::const_iterator>
findingsOn(const std::vector<Finding>& findings, std::int64_t first, std::int64_t last)
{
    const auto begin = std::lower_bound(findings.begin(), findings.end(), first,
                                        [](const Finding& f, std::int64_t line) { return f.line < line; });
    const auto end = std::upper_bound(begin, findings.end(), last,
                                      [](std::int64_t line, const Finding& f) { return line < f.line; });
    return {begin, end};
}

}  // namespace checks
