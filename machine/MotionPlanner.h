// How long moves take on a real machine: feed moves with trapezoidal speed profiles,
// planned with the whole program ahead (a backward and a forward pass, as open-source
// motion controllers plan), corners slowed by the junction deviation rule, arcs by v²/r;
// rapids from rest to rest, in a straight line or axis by axis. Lengths in mm, rates in
// mm/min, accelerations in mm/s², times in seconds.
//
// The plan is exact with bounded memory: a move is counted as soon as nothing that can
// follow it may change its speeds, that is once the moves queued after it can brake it
// from the highest speed it could reach, or its exit is already capped by a corner, its
// own top speed or a rest. The backward pass runs again only once the queue has doubled
// since the last: speeds planned on a shorter queue are lower bounds, which may hold a
// move back but never count it wrong, so each move is planned a bounded number of times
// and the queue holds about two braking distances of moves.
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
    bool linearRapids = true;  // rapids in a straight line; false: each axis at its own rate
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
    // Moves queued at the most (about 12 MiB): two braking distances of moves a micron
    // long on a machine that brakes over 100 mm. Past it the oldest move is planned as if
    // the machine stopped at the end of the queue, and the times are estimates.
    static constexpr std::size_t kMaxQueued = 1u << 18;

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
    // How long a straight feed move and a rapid take from rest to rest, counting nothing.
    double lineSeconds(const Vec3& from, const Vec3& to, double feed) const;
    double rapidSeconds(const Vec3& from, const Vec3& to) const;
    const MachineLimits& limits() const { return limits_; }
    // The machine stands still: a dwell, a tool change.
    void wait(double seconds);
    // Brings the planned moves to rest and counts their time.
    void stop();

    // Time of every move counted so far; call stop() first to count the queue.
    double seconds() const { return seconds_; }
    // Moves waiting to be counted.
    std::size_t queued() const { return moves_.size() - head_; }
    // Whether a move was counted before the queue could brake it: the times are then
    // estimates (a little long).
    bool estimated() const { return estimated_; }

private:
    struct Move {
        double length = 0.0;
        double top = 0.0;           // highest speed, mm/s
        double acceleration = 0.0;  // mm/s² along the move
        double junction = 0.0;      // highest speed at its start, from the corner with the move before
        // Highest entry from which the rest of the queue can still stop; NaN until planned
        // (no comparison with it holds, so nothing counts on it).
        double maxEntry = std::numeric_limits<double>::quiet_NaN();
        // maxEntry is held by the move's own limits or those of a move ahead, not by the
        // stop at the queue's end: moves queued later cannot change it.
        bool settled = false;
    };

    // Top speed (mm/s) and acceleration of a feed move along a unit direction.
    void lineLimits(const Vec3& direction, double feed, double& top, double& acceleration) const;
    void push(double length, double top, double acceleration, const Vec3& startDirection, const Vec3& endDirection);
    // The backward pass from the end of the queue, as far as anything changes.
    void planBackward();
    // Counts the moves at the front whose exit speed is final; all of them with `all`
    // (the machine stops after the last), else at least the first when the queue is full.
    void commit(bool all);
    void count(const Move& move, double entry, double exit);
    void popFront();
    double junctionSpeed(const Vec3& in, const Vec3& out) const;

    MachineLimits limits_;
    std::vector<Move> moves_;  // the queue is moves_[head_] on
    std::size_t head_ = 0;
    double seconds_ = 0.0;
    bool moving_ = false;      // the last queued or counted move does not end at rest
    double frontEntry_ = 0.0;  // planned speed at the start of the queue's first move
    Vec3 lastDirection_{};     // direction at the end of the last move
    double lastTop_ = 0.0;
    std::size_t sincePlanned_ = 0;   // moves queued since the last backward pass
    std::size_t plannedQueue_ = 0;   // the queue's length after it and the counting that follows
    bool estimated_ = false;
};

}  // namespace machine
