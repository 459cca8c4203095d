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

// Pecks of one hole timed one by one, each move as the planner times any; past it their
// time is summed in closed form, so a deep hole of tiny pecks costs no more than a few.
constexpr std::int64_t kPecksTimedOneByOne = 1000;

// The sum of the square roots of 1 to k.
double sumOfRoots(double k)
{
    if (k <= 64.0) {
        double sum = 0.0;
        for (double j = 1.0; j <= k; ++j) {
            sum += std::sqrt(j);
        }
        return sum;
    }
    // Euler-Maclaurin; the terms left out are below 1e-14 of the sum.
    constexpr double kZetaOfMinusHalf = -0.2078862249773545660;
    const double root = std::sqrt(k);
    return 2.0 / 3.0 * k * root + 0.5 * root + kZetaOfMinusHalf + 1.0 / (24.0 * root) -
           1.0 / (1920.0 * k * k * root);
}

// The time of moves of step, 2 step, ... k step, each from rest to rest at top speed `top`
// (mm/s) and `acceleration`: a move shorter than top²/acceleration never cruises and takes
// 2 sqrt(length / acceleration); a longer one length / top + top / acceleration.
double restToRestLadder(double step, double k, double top, double acceleration)
{
    if (!(step > 0.0) || !(k >= 1.0) || !(top > 0.0)) {
        return 0.0;
    }
    // The sum of the whole numbers past `from` up to `to`.
    const auto wholeNumbers = [](double from, double to) { return (to * (to + 1.0) - from * (from + 1.0)) / 2.0; };
    if (std::isinf(acceleration)) {
        return step / top * wholeNumbers(0.0, k);
    }
    const double shortOnes = std::clamp(std::ceil(top * top / acceleration / step) - 1.0, 0.0, k);
    return 2.0 * std::sqrt(step / acceleration) * sumOfRoots(shortOnes) + step / top * wholeNumbers(shortOnes, k) +
           (k - shortOnes) * top / acceleration;
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
        for (const nc::Motion& waiting : pendingHoleMoves_) {
            if (waiting.kind == nc::MotionKind::Pecks) {
                pecks(waiting, PeckPart::Feeds, m.feed * scale);
            } else {
                const double s = waiting.inch ? kMillimetresPerInch : 1.0;
                planner.line(scaled(waiting.from, s), scaled(waiting.to, s), m.feed * scale);
                planner.stop();
            }
        }
        pendingHoleMoves_.clear();
        untimedHoles_ = 0;
    }
    if (m.cycleCode != 0 && !feedGiven) {
        if (m.kind == nc::MotionKind::Hole) {
            ++untimedHoles_;
        } else if (m.kind == nc::MotionKind::Feed || m.kind == nc::MotionKind::Pecks) {
            if (m.kind == nc::MotionKind::Pecks) {
                pecks(m, PeckPart::Rapids, 0.0);
            }
            pendingHoleMoves_.push_back(m);
            pendingHoleMoves_.back().text = {};
            pendingHoleMoves_.back().block = nullptr;
            pendingHoleMoves_.back().figures = nullptr;
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
    case nc::MotionKind::Pecks:
        pecks(m, PeckPart::Both, feed);
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

void MachineClock::pecks(const nc::Motion& m, PeckPart part, double feed)
{
    MotionPlanner& planner = *planner_;
    const double scale = m.inch ? kMillimetresPerInch : 1.0;
    const auto at = [&](double z) { return Vec3{m.from[0] * scale, m.from[1] * scale, z * scale}; };
    const bool rapids = part != PeckPart::Feeds;
    const bool feeds = part != PeckPart::Rapids;
    // Every move of a peck starts and ends at rest: a reversal or a rapid is on each side.
    planner.stop();
    if (m.count <= kPecksTimedOneByOne) {
        for (std::int64_t i = 1; i <= m.count; ++i) {
            const nc::Peck p = nc::peckOf(m, i);
            if (i > 1 && rapids) {
                planner.rapid(at(p.start), at(p.out));
                planner.rapid(at(p.out), at(p.start));
            }
            if (feeds) {
                planner.line(at(p.start), at(p.end), feed);
                if (!rapids) {
                    planner.stop();
                }
            }
        }
        return;
    }
    const double more = static_cast<double>(m.count - 1);
    double seconds = 0.0;
    if (feeds) {
        const nc::Peck last = nc::peckOf(m, m.count);
        seconds += more * planner.lineSeconds(at(m.from[2]), at(nc::peckOf(m, 1).end), feed) +
                   planner.lineSeconds(at(last.start), at(last.end), feed);
    }
    if (rapids) {
        const nc::Peck second = nc::peckOf(m, 2);
        if (m.retract != 0.0) {
            seconds += 2.0 * more * planner.rapidSeconds(at(second.start), at(second.out));
        } else {
            // Backing out to R: the n-th back-out is n pecks long, there and back.
            const MachineLimits& limits = planner.limits();
            seconds += 2.0 * restToRestLadder(std::fabs(second.start - m.from[2]) * scale, more,
                                              limits.rapid[2] / 60.0, limits.acceleration[2]);
        }
    }
    planner.wait(seconds);
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
