// How long moves take on a real machine: feed moves with trapezoidal speed profiles and a
// look-ahead planner over a bounded window (a backward and a forward pass, as open-source
// motion controllers plan), corners slowed by the junction deviation rule, arcs by v²/r;
// rapids axis by axis, from rest to rest. Lengths in mm, rates in mm/min, accelerations
// in mm/s², times in seconds.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <limits>
#include <vector>

namespace machine {

inline constexpr double kUnlimited = std::numeric_limits<double>::infinity();

struct MachineLimits {
    double maxFeed = kUnlimited;                       // mm/min
    std::array<double, 3> rapid{5000.0, 5000.0, 5000.0};  // mm/min per axis
    std::array<double, 3> acceleration{kUnlimited, kUnlimited, kUnlimited};  // mm/s² per axis
    double junctionDeviation = 0.01;                   // mm
};

using Vec3 = std::array<double, 3>;

// Time of a move of `length` that enters at `entry`, leaves at `exit`, and may reach `top`
// with `acceleration` (speeds in mm/s): accelerate, cruise, decelerate.
double trapezoidSeconds(double length, double entry, double exit, double top, double acceleration);

// One feed move as planned: its length and the speeds (mm/s) and acceleration it runs with.
struct PlannedMove {
    double length = 0.0;
    double entry = 0.0;
    double exit = 0.0;
    double top = 0.0;
    double acceleration = 0.0;
    double seconds = 0.0;
};

class MotionPlanner {
public:
    static constexpr std::size_t kWindow = 64;

    // Sees every feed move as it is counted (for checks).
    std::function<void(const PlannedMove&)> onPlanned;

    explicit MotionPlanner(const MachineLimits& limits) : limits_(limits) {}

    // A straight feed move at `feed` mm/min.
    void line(const Vec3& from, const Vec3& to, double feed);
    // An arc of `radius` on the plane of axes a1, a2, sweeping `sweep` radians from the
    // start angle, increasing or decreasing; the third axis moves linearly (a helix).
    void arc(const Vec3& from, const Vec3& to, int a1, int a2, double radius,
             double startAngle, double sweep, bool angleIncreasing, double feed);
    // A rapid move, from rest to rest.
    void rapid(const Vec3& from, const Vec3& to);
    // The machine stands still: a dwell, a tool change.
    void wait(double seconds);
    // Brings the planned moves to rest and counts their time.
    void stop();

    // Time of every move counted so far; call stop() first to count the window.
    double seconds() const { return seconds_; }

private:
    struct Move {
        double length = 0.0;
        double top = 0.0;           // highest speed, mm/s
        double acceleration = 0.0;  // mm/s² along the move
        double junction = 0.0;      // highest speed at its start, from the corner with the move before
        double entry = 0.0;         // planned speed at its start
    };

    void push(double length, double top, double acceleration, const Vec3& startDirection, const Vec3& endDirection);
    void plan();
    void commit(std::size_t count);

    MachineLimits limits_;
    std::vector<Move> window_;
    std::vector<double> maxEntry_;  // the backward pass's limits, kept to plan without allocating
    double seconds_ = 0.0;
    bool moving_ = false;     // the last committed or planned move does not end at rest
    double restingEntry_ = 0.0;  // planned speed at the start of the window's first move
    Vec3 lastDirection_{};    // direction at the end of the last move
    double lastTop_ = 0.0;
    double lastAcceleration_ = 0.0;
};

}  // namespace machine
