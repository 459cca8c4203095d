// The machine time of a run: the motion stream timed on the machine of a profile, folded
// section by section like the classic times. A classic profile (or none) gives the
// classic times exactly and takes no motions.
#pragma once

#include "machine/MachineProfile.h"
#include "machine/MotionPlanner.h"
#include "nc/Motion.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace machine {

// The profile's limits as the planner takes them (mm); inch programs are converted move
// by move.
MachineLimits machineLimits(const MachineProfile& profile);

class MachineClock : public nc::MotionSink {
public:
    explicit MachineClock(const MachineProfile& profile);

    // The classic model: the classic times are the machine times; nothing to feed.
    bool isClassic() const { return !planner_; }

    void motion(const nc::Motion& motion) override;

    // The minutes of each section the sheet keeps, with the stream's number of it, in order.
    const std::vector<std::pair<int, double>>& sectionMinutes() const { return sectionMinutes_; }
    // Minutes of the whole run so far, the moves brought to rest. Not for the classic model.
    double totalMinutes();
    // Holes met while no feed was given and no feed came after them: not in the times.
    std::int64_t untimedHoles() const { return untimedHoles_; }
    // Returns to a reference point (or G53 moves) whose end the profile does not give.
    std::int64_t untimedReferences() const { return untimedReferences_; }
    // Whether the planner had to count moves before it could brake them (past its queue).
    bool estimated() const { return planner_ && planner_->estimated(); }

private:
    // Minutes since the last fold, the moves brought to rest.
    double foldSection();
    // Times a Pecks motion's rapids, its feeds at `feed` (mm/min), or both in their order.
    enum class PeckPart : std::uint8_t { Rapids, Feeds, Both };
    void pecks(const nc::Motion& m, PeckPart part, double feed);

    MachineProfile profile_;
    std::optional<MotionPlanner> planner_;  // none for a classic profile
    bool inHole_ = false;                   // the last motions were a hole's
    double foldedSeconds_ = 0.0;
    std::vector<std::pair<int, double>> sectionMinutes_;
    std::vector<nc::Motion> pendingHoleMoves_;  // Feed and Pecks motions waiting for a feed
    std::int64_t untimedHoles_ = 0;
    std::int64_t untimedReferences_ = 0;
};

}  // namespace machine
