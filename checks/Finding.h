// What a program check found: a stable code for scripts, a severity, the NC line and a
// message for the person reading it (Japanese, UTF-8).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace checks {

enum class Severity { Error, Warning, Info };

// Every check there is, in the order the documentation lists them. A code is only ever
// one of these: text from a user is looked up, never taken for a code.
enum class CheckCode : std::uint8_t {
    UnreadText,
    NoFeed,
    PointLessNumber,
    SpindleStopped,
    ArcEndOffCircle,
    CompOnArc,
    RapidAtDepth,
    OutsideLimits,
    NoProgramEnd,
    NotFollowed,
    Overcut,
    RunStopped,
    SubprogramMissing,
    SubprogramRecursion,
    CallNesting,
    EndlessRepeat,
    CycleNoR,
    BlockLimit,
    MacroError,
    MacroAlarm,
    MacroMessage,
    MacroUnsupported,
    MacroVacant,
    NotRead,
    Widespread,
};
inline constexpr std::size_t kCheckCount = 25;

struct CheckInfo {
    CheckCode code;
    const char* name;  // "no-feed": what scripts, --ignore and the profile write
    Severity severity;
};
// The catalogue, indexed by CheckCode.
const std::array<CheckInfo, kCheckCount>& allChecks();
const CheckInfo& checkInfo(CheckCode code);
const char* codeName(CheckCode code);
std::optional<CheckCode> checkCodeOf(std::string_view name);
bool isCheckCode(std::string_view name);
// "unread-text, no-feed, …": every code, for the messages that list them.
std::string checkCodeList();

struct Finding {
    CheckCode code = CheckCode::UnreadText;
    Severity severity = Severity::Warning;
    std::int64_t line = 0;  // NC line, from 1: the place in the listing (the order the blocks run)
    std::string message;
    // Where the block is written in the NC file when that is not `line` (repeats and
    // calls run blocks again further down the listing); 0 when it is, or when the block
    // is in another file.
    std::int64_t fileLine = 0;
    bool operator==(const Finding&) const = default;
};

// A finding that names the cause of many others: shown before them.
inline bool namesACause(CheckCode code)
{
    return code == CheckCode::NotRead || code == CheckCode::Widespread;
}

// "error", "warning", "info".
const char* severityName(Severity severity);

// How many findings of each severity, indexed by Severity.
std::array<std::size_t, 3> countBySeverity(const std::vector<Finding>& findings);

// The findings on lines first..last of findings in line order.
std::pair<std::vector<Finding>::const_iterator, std::vector<Finding>::const_iterator>
findingsOn(const std::vector<Finding>& findings, std::int64_t first, std::int64_t last);

// How the checks are set up: the codes to leave out, how far an arc's end may lie off
// its circle, and the machine's travel in program coordinates (mm) where it is known.
struct CheckSettings {
    std::vector<CheckCode> ignore;
    double arcTolerance = 0.01;  // mm; the same length in an inch program
    std::array<std::optional<std::pair<double, double>>, 3> limits;  // X, Y, Z
    bool wholeUnits = false;     // the machine reads a number without a point as whole units
    bool operator==(const CheckSettings&) const = default;
};

}  // namespace checks
