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

// The highest speed at the corner between two directions (unit vectors) by the junction
// deviation rule: the speed at which a circle of that deviation, tangent to both moves,
// is cut at the junction's acceleration.
double junctionSpeed(const Vec3& in, const Vec3& out, double acceleration, double deviation)
{
    const double cosTheta = -(in[0] * out[0] + in[1] * out[1] + in[2] * out[2]);
    if (cosTheta < -0.999999) {
        return kUnlimited;  // straight on
    }
    if (cosTheta > 0.999999 || deviation <= 0.0) {
        return 0.0;  // a reversal, or corners taken exactly: stop
    }
    if (std::isinf(acceleration)) {
        return kUnlimited;
    }
    const double sinHalf = std::sqrt(0.5 * (1.0 - cosTheta));
    return std::sqrt(acceleration * deviation * sinHalf / (1.0 - sinHalf));
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

void MotionPlanner::line(const Vec3& from, const Vec3& to, double feed)
{
    const Vec3 delta{to[0] - from[0], to[1] - from[1], to[2] - from[2]};
    const double length = norm(delta);
    if (!(length > 0.0)) {
        return;
    }
    const Vec3 u{delta[0] / length, delta[1] / length, delta[2] / length};
    // No axis beyond its own rapid rate or acceleration.
    double top = std::min(feed, limits_.maxFeed);
    double acceleration = kUnlimited;
    for (std::size_t k = 0; k < 3; ++k) {
        const double share = std::fabs(u[k]);
        if (share > 0.0) {
            top = std::min(top, limits_.rapid[k] / share);
            acceleration = std::min(acceleration, limits_.acceleration[k] / share);
        }
    }
    push(length, top * kPerMinute, acceleration, u, u);
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
    // Axis by axis, each from rest to rest: the move lasts as long as its slowest axis.
    double longest = 0.0;
    for (std::size_t k = 0; k < 3; ++k) {
        const double distance = std::fabs(to[k] - from[k]);
        if (distance > 0.0) {
            longest = std::max(longest, trapezoidSeconds(distance, 0.0, 0.0, limits_.rapid[k] * kPerMinute,
                                                         limits_.acceleration[k]));
        }
    }
    seconds_ += longest;
}

void MotionPlanner::wait(double seconds)
{
    stop();
    seconds_ += seconds;
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
    move.junction = moving_ ? std::min({junctionSpeed(lastDirection_, startDirection,
                                                      std::min(acceleration, lastAcceleration_),
                                                      limits_.junctionDeviation),
                                        top, lastTop_})
                            : 0.0;
    if (window_.empty()) {
        move.entry = moving_ ? std::min(restingEntry_, move.junction) : 0.0;
    }
    window_.push_back(move);
    moving_ = true;
    lastDirection_ = endDirection;
    lastTop_ = top;
    lastAcceleration_ = acceleration;
    if (window_.size() >= kWindow) {
        // Half the window is final: what comes later can only allow more speed at its end.
        plan();
        commit(kWindow / 2);
    }
}

void MotionPlanner::plan()
{
    if (window_.empty()) {
        return;
    }
    // Backward: the last move must be able to stop at its end.
    std::vector<double>& maxEntry = maxEntry_;
    maxEntry.resize(window_.size());
    double exit = 0.0;
    for (std::size_t i = window_.size(); i-- > 0;) {
        const Move& m = window_[i];
        const double reachable =
            std::isinf(m.acceleration) ? kUnlimited : std::sqrt(exit * exit + 2 * m.acceleration * m.length);
        maxEntry[i] = std::min({m.junction, m.top, reachable});
        exit = maxEntry[i];
    }
    // Forward: no move enters faster than the one before can accelerate to.
    window_[0].entry = std::min(window_[0].entry, maxEntry[0]);
    for (std::size_t i = 1; i < window_.size(); ++i) {
        const Move& before = window_[i - 1];
        const double reachable = std::isinf(before.acceleration)
                                     ? kUnlimited
                                     : std::sqrt(before.entry * before.entry + 2 * before.acceleration * before.length);
        window_[i].entry = std::min(maxEntry[i], reachable);
    }
}

void MotionPlanner::commit(std::size_t count)
{
    count = std::min(count, window_.size());
    for (std::size_t i = 0; i < count; ++i) {
        const double exit = i + 1 < window_.size() ? window_[i + 1].entry : 0.0;
        const Move& m = window_[i];
        const double seconds = trapezoidSeconds(m.length, m.entry, exit, m.top, m.acceleration);
        seconds_ += seconds;
        if (onPlanned) {
            onPlanned({m.length, m.entry, exit, m.top, m.acceleration, seconds});
        }
    }
    window_.erase(window_.begin(), window_.begin() + static_cast<std::ptrdiff_t>(count));
    restingEntry_ = window_.empty() ? 0.0 : window_.front().entry;
}

void MotionPlanner::stop()
{
    plan();
    commit(window_.size());
    moving_ = false;
}

}  // namespace machine
