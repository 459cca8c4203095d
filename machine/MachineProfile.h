// A machine's own limits, read from a TOML file (docs/machine-profile.md). Every key is
// optional; a profile that gives none of the motion keys is the classic model, whose
// machine time is the classic time.
#pragma once

#include "nc/ProgramFlow.h"
#include "util/UserError.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace machine {

// How a rapid moves: in a straight line (the slowest axis, scaled by the direction, sets
// the pace), or each axis at its own rate (the slowest axis decides).
enum class RapidMode { Linear, Axes };

struct MachineProfile {
    std::string name;                  // shown in the sheet; "" without a profile
    std::string file;                  // where it was read from; "" without a profile
    std::optional<double> maxFeed;     // mm/min; none: unlimited
    double toolChange = 0.0;           // seconds per M06
    double junctionDeviation = 0.01;   // mm
    bool wholeUnits = false;           // a coordinate number without a point is whole units
    bool anyCaseLetters = false;       // lower-case address letters are read as upper case
    std::optional<std::array<double, 3>> rapid;         // mm/min per axis; none: the classic rapid
    std::optional<std::array<double, 3>> acceleration;  // mm/s² per axis; none: unlimited
    RapidMode rapidMode = RapidMode::Linear;
    // For the program checks, not the times.
    std::vector<std::string> checkIgnore;  // check codes left out
    double arcTolerance = 0.01;            // mm an arc's end may lie off its circle
    std::array<std::optional<std::pair<double, double>>, 3> limits;  // X, Y, Z travel, mm
    // How the program runs.
    nc::Control control = nc::Control::Fanuc;     // whose rules decide where controls differ
    std::int64_t maxBlocks = 10'000'000;          // blocks run in calls and repeats before the run stops
    std::vector<std::string> programFolders;      // where called programs are looked for
    // Where G28 and G53 end: the reference point and the work offsets G54 to G59, in
    // machine coordinates (mm).
    std::optional<std::array<double, 3>> home;
    std::array<std::optional<std::array<double, 3>>, 6> offsets{};
    // Start values of the common macro variables (#100–#199, #500–#999).
    std::map<int, double> variables;

    // No key that changes how long a move takes: the classic times hold.
    bool isClassic() const
    {
        return !maxFeed && toolChange == 0.0 && !rapid && !acceleration && rapidMode == RapidMode::Linear;
    }
    bool operator==(const MachineProfile&) const = default;
};

// A profile that cannot be used: the file, the line (0 when unknown), the key and what
// is wrong, as one text "FILE:LINE: KEY: REASON".
class MachineProfileError : public util::UserError {
public:
    using util::UserError::UserError;
};

// The check codes a profile may name; the checks own the list. A profile read against
// none takes any text (the fuzzer's).
struct CheckCodes {
    bool (*isCode)(std::string_view) = nullptr;
    std::string list;  // "unread-text, no-feed, …", for the message that names a wrong one
};

// Reads and checks a profile; throws MachineProfileError. A check code `codes` does not
// know is an error that names it and lists the codes.
MachineProfile loadMachineProfile(const std::string& path, const CheckCodes& codes);

// The profile the window uses: machine.toml in the user's configuration folder
// ($XDG_CONFIG_HOME/brelvane, else ~/.config/brelvane), else beside the program
// (`programDir`); empty when there is none.
std::string machineProfilePath(const std::string& programDir);

// Reads a profile from text (`file` names it in errors).
MachineProfile parseMachineProfile(std::string_view text, const std::string& file, const CheckCodes& codes);

}  // namespace machine
