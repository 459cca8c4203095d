#include "machine/MachineClock.h"

#include "nc/Markers.h"

#include <algorithm>
#include <cmath>

namespace machine {

namespace {

using nc::kMillimetresPerInch;
// A feed of 0 (or one no machine can have) is timed at 1 per minute, as the classic times do.
constexpr double kFeedWhenNone = 1.0;

Vec3 scaled(const nc::Point3& p, double scale)
{
    return {p[0] * scale, p[1] * scale, p[2] * scale};
}

}  // namespace

MachineLimits machineLimits(const MachineProfile& profile)
{
    MachineLimits limits;
    if (profile.maxFeed) {
        limits.maxFeed = *profile.maxFeed;
    }
    if (profile.rapid) {
        limits.rapid = *profile.rapid;
    }
    if (profile.acceleration) {
        limits.acceleration = *profile.acceleration;
    }
    limits.junctionDeviation = profile.junctionDeviation;
    limits.linearRapids = profile.rapidMode == RapidMode::Linear;
    return limits;
}

MachineClock::MachineClock(const MachineProfile& profile) : profile_(profile)
{
    if (!profile.isClassic()) {
        planner_.emplace(machineLimits(profile));
    }
}

void MachineClock::motion(const nc::Motion& m)
{
    if (!planner_) {
        return;
    }
    MotionPlanner& planner = *planner_;
    // A hole is one block: the machine comes to rest at its end.
    if (inHole_ && m.cycleCode == 0) {
        planner.stop();
        inHole_ = false;
    }
    // The planner works in mm: an inch program's positions and feeds are converted.
    const double scale = m.inch ? kMillimetresPerInch : 1.0;
    const bool feedGiven = m.feed > 0.0 && std::isfinite(m.feed);
    const double feed = (feedGiven ? m.feed : kFeedWhenNone) * scale;
    // A hole met before any feed is timed at the first feed the program gives, as the
    // classic times book it; never at a feed the program did not give.
    const bool feedKind = m.kind == nc::MotionKind::Feed || m.kind == nc::MotionKind::Arc ||
                          m.kind == nc::MotionKind::Hole;
    if (feedKind && feedGiven && !pendingHoleMoves_.empty()) {
        planner.stop();
        for (const auto& [from, to] : pendingHoleMoves_) {
            planner.line(from, to, m.feed * scale);
            planner.stop();
        }
        pendingHoleMoves_.clear();
        untimedHoles_ = 0;
    }
    if (m.cycleCode != 0 && !feedGiven) {
        if (m.kind == nc::MotionKind::Hole) {
            ++untimedHoles_;
        } else if (m.kind == nc::MotionKind::Feed) {
            pendingHoleMoves_.emplace_back(scaled(m.from, scale), scaled(m.to, scale));
            return;
        }
    }
    switch (m.kind) {
    case nc::MotionKind::Rapid:
        planner.rapid(scaled(m.from, scale), scaled(m.to, scale));
        break;
    case nc::MotionKind::Feed:
        planner.line(scaled(m.from, scale), scaled(m.to, scale), feed);
        break;
    case nc::MotionKind::Arc:
        planner.arc(scaled(m.from, scale), scaled(m.to, scale), m.axis1, m.axis2, m.radius * scale, m.startAngle,
                    m.sweep, m.angleIncreasing, feed);
        break;
    case nc::MotionKind::Hole:
        planner.stop();
        inHole_ = true;
        break;
    case nc::MotionKind::Reference:
        planner.stop();  // a move of unknown length: the machine comes to rest at its end
        ++untimedReferences_;
        break;
    case nc::MotionKind::Dwell:
        planner.wait(m.seconds);
        break;
    case nc::MotionKind::ToolChange:
        planner.wait(profile_.toolChange);
        break;
    case nc::MotionKind::ProgramStop:
    case nc::MotionKind::OptionalStop:
    case nc::MotionKind::ProgramEnd:
        planner.stop();  // the machine comes to rest; the operator's time is not counted
        break;
    case nc::MotionKind::SectionEnd: {
        // Named by their number: the record finds its sections' minutes by it.
        const double minutes = foldSection();
        if (m.keep) {
            sectionMinutes_.emplace_back(m.section, minutes);
        }
        break;
    }
    default:
        break;
    }
}

double MachineClock::foldSection()
{
    planner_->stop();
    const double minutes = (planner_->seconds() - foldedSeconds_) / 60.0;
    foldedSeconds_ = planner_->seconds();
    return minutes;
}

double MachineClock::totalMinutes()
{
    planner_->stop();
    return planner_->seconds() / 60.0;
}

}  // namespace machine
