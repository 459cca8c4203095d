// The figures of one run as the setup sheet and the JSON summary give them: the program,
// its tool sections (exactly as the report folds them) and how the run ended. Texts are
// UTF-8.
#pragma once

#include "checks/Finding.h"
#include "machine/MachineProfile.h"
#include "report/RunSummary.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace record {

struct SectionRecord {
    int index = 0;              // 1, 2, ... in order
    int sequence = 0;           // the stream's number of the section: every section end counts, from 0
    int heading = 0;            // the tool heading it belongs to in the listing; 0 before any
    int tool = 0;
    std::string description;    // the tool's comment
    std::string anchor;         // the listing's anchor of its tool heading; empty before any
    std::int64_t firstLine = 0;  // NC line numbers, from 1
    std::int64_t lastLine = 0;
    report::Figures figures;            // as the INFO block prints them
    double cutLength = 0.0;
    double machineTime = 0.0;   // minutes on the profile's machine
    std::map<int, std::int64_t> holes;    // canned cycle code: holes booked
    std::vector<std::int64_t> overcutLines;
    // From the motion stream: what a setter looks for first.
    std::optional<std::pair<double, double>> feed;     // F in force at cutting moves, min and max
    std::optional<std::pair<double, double>> spindle;  // S in force while cutting, min and max
    std::string units;                  // of its moves: "mm", "inch", "mixed"; "" without moves
    std::vector<int> workOffsets;       // G54 to G59 in force at its moves, in order of first use
    struct Stop {
        std::int64_t line = 0;          // M00 or M01
        bool optional = false;          // M01
        std::string comment;            // on that line
        bool operator==(const Stop&) const = default;
    };
    std::vector<Stop> stops;
    std::vector<std::string> operations;  // comment lines that name what the moves after them do
};

enum class RecordOutcome { Completed, Cancelled, Failed };

struct ProgramRecord {
    std::string file;           // the NC file's path
    std::string name;           // its first O number, "O1234"; empty when none
    std::string comment;        // its first comment line, without the parentheses
    bool startKnown = false;    // the start point converted
    double startX = 0.0;
    double startY = 0.0;
    double startZ = 0.0;
    bool startInch = false;     // the start point is read in inches (those of the first move)
    bool offsetCheck = false;
    std::string analysedAt;     // local date and time, "2026-12-07 09:45"
    std::vector<SectionRecord> sections;
    report::Figures total;              // as the final report prints it
    double machineTotal = 0.0;  // minutes on the profile's machine
    std::int64_t machineUntimedHoles = 0;  // holes before any feed: not in the machine times
    std::int64_t machineUntimedReferences = 0;  // G28/G30/G53 moves the profile gives no end for
    bool machineEstimated = false;  // the planner's queue overflowed: the machine times are estimates
    machine::MachineProfile machine;     // the profile the machine times come from
    std::int64_t overcutCount = 0;
    std::int64_t lines = 0;     // NC lines read
    RecordOutcome outcome = RecordOutcome::Failed;
    std::vector<std::string> messages;  // every message and error shown, in order
    std::vector<checks::Finding> findings;  // the program checks' findings, in line order
};

// Whether a pair of extents holds anything: a section that moved nothing on an axis keeps
// the start markers (minimum above maximum).
inline bool extentSet(double minimum, double maximum)
{
    return minimum <= maximum;
}

}  // namespace record
