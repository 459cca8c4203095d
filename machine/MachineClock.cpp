#include "machine/MachineClock.h"

#include <algorithm>
#include <cmath>

namespace machine {

using nc::WordSlot;

namespace {

constexpr double kMillimetresPerInch = 25.4;
// A feed of 0 is timed at 1 per minute, as the classic times do.
constexpr double kFeedWhenNone = 1.0;

bool usable(const double* p)
{
    for (int k = 0; k < 3; ++k) {
        if (!std::isfinite(p[k]) || p[k] == nc::kUnknownPosition) {
            return false;
        }
    }
    return true;
}

machine::Vec3 scaled(const double* p, double scale)
{
    return {p[0] * scale, p[1] * scale, p[2] * scale};
}

}  // namespace

machine::MachineLimits machineLimits(const MachineProfile& profile)
{
    machine::MachineLimits limits;
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
    return limits;
}

MachineClock::MachineClock(const MachineProfile& profile) : profile_(profile)
{
    if (!profile.isClassic()) {
        planner_.emplace(machineLimits(profile));
    }
}

void MachineClock::start(double x, double y, double z)
{
    position_ = {x, y, z};
}

MachineClock::Block MachineClock::blockOf(const nc::IsoNcAnalyzer& a)
{
    Block block;
    block.motion = a.blockMotion();
    block.feed = a.feedRate();
    block.moveLength = a.moveLength();
    block.dwellSeconds = a.dwellSeconds();
    block.returnLevel = a.returnLevel();
    block.peckDepth = a.peckDepth();
    block.inch = a.isInchMode();
    block.cycleActive = a.isCycleActive();
    block.programStop =
        a.isWordGiven(WordSlot::M) && (a.wordValue(WordSlot::M) == 0.0 || a.wordValue(WordSlot::M) == 1.0);
    return block;
}

void MachineClock::line(const Block& b)
{
    if (!planner_) {
        return;
    }
    machine::MotionPlanner& planner = *planner_;
    // The planner works in mm: an inch program's positions and feeds are converted.
    const double scale = b.inch ? kMillimetresPerInch : 1.0;
    const double feed = (b.feed == 0.0 ? kFeedWhenNone : b.feed) * scale;
    const nc::BlockMotion& m = b.motion;
    if (m.hole) {
        hole(b, scale, feed);
    } else if (m.line && !b.cycleActive && b.moveLength != 0.0) {
        // Inside a cycle the holes are the moves; the interpreter's rapid to the hole's
        // bottom is no move of the machine.
        const machine::Vec3 from = scaled(m.start, scale);
        const machine::Vec3 to = scaled(m.end, scale);
        if (m.rapid) {
            planner.rapid(from, to);
        } else {
            planner.line(from, to, feed);
        }
        position_ = to;
    } else if (m.arc && usable(m.start) && usable(m.end) && b.moveLength != 0.0) {
        planner.arc(scaled(m.start, scale), scaled(m.end, scale), m.axis1, m.axis2, m.radius * scale,
                    m.startAngle, m.sweep, m.angleIncreasing, feed);
        position_ = scaled(m.end, scale);
    }
    if (b.dwellSeconds > 0.0) {
        planner.wait(b.dwellSeconds);
    }
    if (b.programStop) {
        planner.stop();  // the machine comes to rest; the operator's time is not counted
    }
}

void MachineClock::toolChange()
{
    if (planner_) {
        planner_->wait(profile_.toolChange);
    }
}

void MachineClock::hole(const Block& b, double scale, double feed)
{
    machine::MotionPlanner& planner = *planner_;
    const nc::BlockMotion& m = b.motion;
    const double x = m.holeX * scale;
    const double y = m.holeY * scale;
    const double r = m.holeTop * scale;
    const double bottom = m.holeBottom * scale;
    const double back = b.returnLevel * scale;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(r) || !std::isfinite(bottom)) {
        return;
    }
    // Over the hole at the current height, down to R, then the hole itself.
    const machine::Vec3 over{x, y, position_[2]};
    planner.rapid(position_, over);
    planner.rapid(over, {x, y, r});
    const double depth = std::fabs(r - bottom);
    const double direction = bottom < r ? -1.0 : 1.0;
    const bool pecking = m.cycleCode == 83 || m.cycleCode == 73;
    const double peck = b.peckDepth * scale;
    const int pecks = pecking && peck > 0.0 ? std::max(1, static_cast<int>(std::ceil(depth / peck))) : 1;
    double reached = r;
    for (int i = 1; i <= pecks && i <= 100000; ++i) {
        const double next = i == pecks ? bottom : r + direction * peck * i;
        if (i > 1) {
            // Back out (to R for G83, a little for G73) and in again to where the last peck ended.
            const double out = m.cycleCode == 83 ? r : reached - direction * nc::kPeckReturn * scale;
            planner.rapid({x, y, reached}, {x, y, out});
            planner.rapid({x, y, out}, {x, y, reached});
        }
        planner.line({x, y, reached}, {x, y, next}, feed);
        planner.stop();
        reached = next;
    }
    // Boring cycles feed out; the others retract at the rapid rate.
    const bool feedOut = m.cycleCode == 85 || m.cycleCode == 89;
    if (feedOut) {
        planner.line({x, y, bottom}, {x, y, back}, feed);
        planner.stop();
    } else {
        planner.rapid({x, y, bottom}, {x, y, back});
    }
    position_ = {x, y, back};
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
