// The machine time of a run: each block's moves, dwells and tool changes timed on the
// machine of a profile, folded section by section like the classic times. A classic
// profile (or none) gives the classic times exactly.
#pragma once

#include "nc/IsoNcAnalyzer.h"
#include "nc/MotionPlanner.h"
#include "run/MachineProfile.h"
#include "run/RunSummary.h"

#include <optional>

namespace run {

// The profile's limits as the planner takes them (mm); inch programs are converted move
// by move.
nc::MachineLimits machineLimits(const MachineProfile& profile);

class MachineClock {
public:
    explicit MachineClock(const MachineProfile& profile);

    // The start point (mm: a program starts in millimetres).
    void start(double x, double y, double z);
    // After the line is interpreted.
    void line(const nc::IsoNcAnalyzer& analyzer);
    // An M06: counted in the section of the tool it brings.
    void toolChange();
    // Minutes of the section the report just folded (its moves brought to rest).
    double foldSection(const RunSummary& summary);
    // Minutes of the whole run so far.
    double totalMinutes(const RunSummary& summary);

private:
    void hole(const nc::BlockMotion& m, const nc::IsoNcAnalyzer& a, double scale, double feed);

    MachineProfile profile_;
    std::optional<nc::MotionPlanner> planner_;  // none for a classic profile
    nc::Vec3 position_{};                       // mm
    double foldedSeconds_ = 0.0;
};

}  // namespace run
