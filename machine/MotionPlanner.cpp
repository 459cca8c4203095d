#include "machine/MotionPlanner.h"

#include <algorithm>
#include <cmath>

namespace machine {

namespace {

constexpr double kPerMinute = 1.0 / 60.0;

double norm(const Vec3& v)
{
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

}  // namespace

double trapezoidSeconds(double length, double entry, double exit, double top, double acceleration)
{
    if (length <= 0.0) {
        return 0.0;
    }
    if (std::isinf(acceleration)) {
        return length / top;
    }
    const double peakSquared = std::min(top * top, (2 * acceleration * length + entry * entry + exit * exit) / 2);
    const double peak = std::sqrt(peakSquared);
    const double accelerating = (peakSquared - entry * entry) / (2 * acceleration);
    const double decelerating = (peakSquared - exit * exit) / (2 * acceleration);
    const double cruising = std::max(0.0, length - accelerating - decelerating);
    return std::max(0.0, peak - entry) / acceleration + std::max(0.0, peak - exit) / acceleration + cruising / peak;
}

void MotionPlanner::lineLimits(const Vec3& direction, double feed, double& top, double& acceleration) const
{
    // No axis beyond its own rapid rate or acceleration.
    top = std::min(feed, limits_.maxFeed);
    acceleration = kUnlimited;
    for (std::size_t k = 0; k < 3; ++k) {
        const double share = std::fabs(direction[k]);
        if (share > 0.0) {
            top = std::min(top, limits_.rapid[k] / share);
            acceleration = std::min(acceleration, limits_.acceleration[k] / share);
        }
    }
    top *= kPerMinute;
}

namespace {

// The length of a straight move and its unit direction; false for a move of no length.
bool along(const Vec3& from, const Vec3& to, double& length, Vec3& unit)
{
    const Vec3 delta{to[0] - from[0], to[1] - from[1], to[2] - from[2]};
    length = norm(delta);
    if (!(length > 0.0)) {
        return false;
    }
    unit = {delta[0] / length, delta[1] / length, delta[2] / length};
    return true;
}

}  // namespace

void MotionPlanner::line(const Vec3& from, const Vec3& to, double feed)
{
    double length = 0.0;
    Vec3 u{};
    if (!along(from, to, length, u)) {
        return;
    }
    double top = 0.0;
    double acceleration = 0.0;
    lineLimits(u, feed, top, acceleration);
    push(length, top, acceleration, u, u);
}

double MotionPlanner::lineSeconds(const Vec3& from, const Vec3& to, double feed) const
{
    double length = 0.0;
    Vec3 u{};
    if (!along(from, to, length, u) || !std::isfinite(length)) {
        return 0.0;
    }
    double top = 0.0;
    double acceleration = 0.0;
    lineLimits(u, feed, top, acceleration);
    return top > 0.0 ? trapezoidSeconds(length, 0.0, 0.0, top, acceleration) : 0.0;
}

void MotionPlanner::arc(const Vec3& from, const Vec3& to, int a1, int a2, double radius, double startAngle,
                        double sweep, bool angleIncreasing, double feed)
{
    const auto i1 = static_cast<std::size_t>(a1);
    const auto i2 = static_cast<std::size_t>(a2);
    const std::size_t i3 = 3 - i1 - i2;
    const double planar = radius * sweep;
    const double rise = to[i3] - from[i3];
    const double length = std::sqrt(planar * planar + rise * rise);
    if (!(length > 0.0)) {
        return;
    }
    const double sign = angleIncreasing ? 1.0 : -1.0;
    const double endAngle = startAngle + sign * sweep;
    const auto tangent = [&](double angle) {
        Vec3 t{};
        t[i1] = -std::sin(angle) * sign * planar / length;
        t[i2] = std::cos(angle) * sign * planar / length;
        t[i3] = rise / length;
        return t;
    };
    // The plane's axes together, the slower of the two; the circle's own limit v²/r <= a.
    double top = std::min({feed, limits_.maxFeed, limits_.rapid[i1], limits_.rapid[i2]});
    double acceleration = std::min(limits_.acceleration[i1], limits_.acceleration[i2]);
    if (rise != 0.0) {
        const double share = std::fabs(rise) / length;
        top = std::min(top, limits_.rapid[i3] / share);
        acceleration = std::min(acceleration, limits_.acceleration[i3] / share);
    }
    double topSpeed = top * kPerMinute;
    if (radius > 0.0 && std::isfinite(acceleration)) {
        topSpeed = std::min(topSpeed, std::sqrt(acceleration * radius));
    }
    push(length, topSpeed, acceleration, tangent(startAngle), tangent(endAngle));
}

void MotionPlanner::rapid(const Vec3& from, const Vec3& to)
{
    stop();
    seconds_ += rapidSeconds(from, to);
}

double MotionPlanner::rapidSeconds(const Vec3& from, const Vec3& to) const
{
    // A move beyond any number (from coordinates near the largest double) is no move a
    // machine makes: it would make every time after it infinite.
    for (std::size_t k = 0; k < 3; ++k) {
        if (!std::isfinite(to[k] - from[k])) {
            return 0.0;
        }
    }
    if (!limits_.linearRapids) {
        // Axis by axis, each from rest to rest: the move lasts as long as its slowest axis.
        double longest = 0.0;
        for (std::size_t k = 0; k < 3; ++k) {
            const double distance = std::fabs(to[k] - from[k]);
            if (distance > 0.0) {
                longest = std::max(longest, trapezoidSeconds(distance, 0.0, 0.0, limits_.rapid[k] * kPerMinute,
                                                             limits_.acceleration[k]));
            }
        }
        return longest;
    }
    // In a straight line at the rate and acceleration of the slowest axis that moves,
    // each axis moving its share of it (as the classic times reckon a rapid).
    const Vec3 delta{to[0] - from[0], to[1] - from[1], to[2] - from[2]};
    const double length = norm(delta);
    if (!(length > 0.0)) {
        return 0.0;
    }
    double top = kUnlimited;
    double acceleration = kUnlimited;
    for (std::size_t k = 0; k < 3; ++k) {
        if (delta[k] != 0.0) {
            top = std::min(top, limits_.rapid[k]);
            acceleration = std::min(acceleration, limits_.acceleration[k]);
        }
    }
    return trapezoidSeconds(length, 0.0, 0.0, top * kPerMinute, acceleration);
}

void MotionPlanner::wait(double seconds)
{
    stop();
    if (seconds > 0.0 && std::isfinite(seconds)) {
        seconds_ += seconds;
    }
}

double MotionPlanner::junctionSpeed(const Vec3& in, const Vec3& out) const
{
    // The highest speed at the corner between two directions (unit vectors) by the
    // junction deviation rule: the speed at which a circle of that deviation, tangent to
    // both moves, is cut with the acceleration the axes allow along the change of
    // direction.
    const double cosTheta = -(in[0] * out[0] + in[1] * out[1] + in[2] * out[2]);
    if (cosTheta < -0.999999) {
        return kUnlimited;  // straight on
    }
    if (cosTheta > 0.999999 || limits_.junctionDeviation <= 0.0) {
        return 0.0;  // a reversal, or corners taken exactly: stop
    }
    const Vec3 change{out[0] - in[0], out[1] - in[1], out[2] - in[2]};
    const double changeLength = norm(change);
    double acceleration = kUnlimited;
    for (std::size_t k = 0; k < 3; ++k) {
        const double share = std::fabs(change[k]) / changeLength;
        if (share > 0.0) {
            acceleration = std::min(acceleration, limits_.acceleration[k] / share);
        }
    }
    if (std::isinf(acceleration)) {
        return kUnlimited;
    }
    const double sinHalf = std::sqrt(0.5 * (1.0 - cosTheta));
    return std::sqrt(acceleration * limits_.junctionDeviation * sinHalf / (1.0 - sinHalf));
}

void MotionPlanner::push(double length, double top, double acceleration, const Vec3& startDirection,
                         const Vec3& endDirection)
{
    if (!(top > 0.0) || !std::isfinite(length)) {
        return;
    }
    Move move;
    move.length = length;
    move.top = top;
    move.acceleration = acceleration;
    move.junction = moving_ ? std::min({junctionSpeed(lastDirection_, startDirection), top, lastTop_}) : 0.0;
    if (queued() == 0) {
        frontEntry_ = std::min(frontEntry_, move.junction);
    }
    moves_.push_back(move);
    moving_ = true;
    lastDirection_ = endDirection;
    lastTop_ = top;
    // Planned again once the queue has doubled: a queue of a few moves at every move.
    if (++sincePlanned_ > plannedQueue_) {
        planBackward();
        commit(false);
        plannedQueue_ = queued();
        return;
    }
    commit(false);
}

void MotionPlanner::planBackward()
{
    // The last move must be able to stop at its end. A move whose highest entry does not
    // change leaves every move before it as it was.
    double exit = 0.0;
    bool settled = false;  // the stop at the queue's end is no limit of the machine's
    const std::size_t size = queued();
    sincePlanned_ = 0;
    for (std::size_t i = size; i-- > 0;) {
        Move& m = moves_[head_ + i];
        const double reachable =
            std::isinf(m.acceleration) ? kUnlimited : std::sqrt(exit * exit + 2 * m.acceleration * m.length);
        const double own = std::min(m.junction, m.top);
        const double maxEntry = std::min(own, reachable);
        // Held by its own corner or speed, or by a move ahead so held: no move to come can
        // raise it.
        settled = maxEntry == own || settled;
        if (i + 1 < size && maxEntry == m.maxEntry && settled == m.settled) {
            return;
        }
        m.maxEntry = maxEntry;
        m.settled = settled;
        exit = maxEntry;
    }
}

void MotionPlanner::commit(bool all)
{
    // Forward: no move enters faster than the one before can accelerate to. A move's exit
    // is final once the next move's entry is limited by what comes before it (which is
    // final) or is settled: held by its own corner and top speed, or by a slower corner
    // ahead within its braking distance, which nothing later changes.
    while (queued() > 0) {
        const Move& front = moves_[head_];
        if (queued() == 1) {
            // The last move's exit waits for what follows, unless nothing does.
            if (!all) {
                return;
            }
            count(front, frontEntry_, 0.0);
            popFront();
            frontEntry_ = 0.0;
            return;
        }
        const double reachable = std::isinf(front.acceleration)
                                     ? kUnlimited
                                     : std::sqrt(frontEntry_ * frontEntry_ + 2 * front.acceleration * front.length);
        const Move& next = moves_[head_ + 1];
        const bool full = queued() > kMaxQueued;
        const bool final = all || reachable <= next.maxEntry || next.settled;
        if (!final && !full) {
            return;
        }
        estimated_ = estimated_ || !final;
        // Counted early, on speeds planned on a shorter queue (or, not planned yet, braked
        // to rest): never faster than the plan.
        const double exit = std::isnan(next.maxEntry) ? 0.0 : std::min(next.maxEntry, reachable);
        count(front, frontEntry_, exit);
        popFront();
        frontEntry_ = exit;
    }
}

void MotionPlanner::popFront()
{
    // The queue empties at every rest, so its storage is mostly reused from the start;
    // on a long run without rest the counted front is dropped now and then.
    ++head_;
    if (head_ == moves_.size()) {
        moves_.clear();
        head_ = 0;
    } else if (head_ >= 1024 && head_ * 2 >= moves_.size()) {
        moves_.erase(moves_.begin(), moves_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
}

void MotionPlanner::count(const Move& m, double entry, double exit)
{
    const double seconds = trapezoidSeconds(m.length, entry, exit, m.top, m.acceleration);
    seconds_ += seconds;
    if (onPlanned) {
        onPlanned({m.length, entry, exit, m.top, m.acceleration, seconds});
    }
}

void MotionPlanner::stop()
{
    if (sincePlanned_ > 0) {
        planBackward();
    }
    commit(true);
    plannedQueue_ = 0;
    moving_ = false;
    frontEntry_ = 0.0;
}

}  // namespace machine
