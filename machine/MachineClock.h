// The machine time of a run: each block's moves, dwells and tool changes timed on the
// machine of a profile, folded section by section like the classic times. A classic
// profile (or none) gives the classic times exactly.
#pragma once

#include "nc/IsoNcAnalyzer.h"
#include "machine/MotionPlanner.h"
#include "machine/MachineProfile.h"

#include <optional>

namespace machine {

// The profile's limits as the planner takes them (mm); inch programs are converted move
// by move.
machine::MachineLimits machineLimits(const MachineProfile& profile);

class MachineClock {
public:
    // What the clock reads of one interpreted block, taken on the run's thread so the
    // clock can run on another.
    struct Block {
        nc::BlockMotion motion;
        double feed = 0.0;        // per minute, program units
        double moveLength = 0.0;
        double dwellSeconds = 0.0;
        double returnLevel = 0.0;
        double peckDepth = 0.0;
        bool inch = false;
        bool cycleActive = false;
        bool programStop = false;  // M00 or M01
    };
    static Block blockOf(const nc::IsoNcAnalyzer& analyzer);

    explicit MachineClock(const MachineProfile& profile);

    // The classic model: the classic times are the machine times; nothing to feed.
    bool isClassic() const { return !planner_; }

    // The start point (mm: a program starts in millimetres).
    void start(double x, double y, double z);
    // Each block, in order.
    void line(const Block& block);
    // An M06: counted in the section of the tool it brings.
    void toolChange();
    // Minutes since the last fold (the moves brought to rest), for the section the report
    // just folded. Not for the classic model.
    double foldSection();
    // Minutes of the whole run so far. Not for the classic model.
    double totalMinutes();

private:
    void hole(const Block& block, double scale, double feed);

    MachineProfile profile_;
    std::optional<machine::MotionPlanner> planner_;  // none for a classic profile
    machine::Vec3 position_{};                       // mm
    double foldedSeconds_ = 0.0;
};

}  // namespace machine
