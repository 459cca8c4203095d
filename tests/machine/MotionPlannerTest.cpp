// The planner against closed forms, and against a fine time-step integration of the speed
// profile it plans for a random program.
#include "machine/MotionPlanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

using machine::MotionPlanner;
using machine::Vec3;

machine::MachineLimits limits(double acceleration)
{
    machine::MachineLimits l;
    l.rapid = {1e6, 1e6, 1e6};
    l.acceleration = {acceleration, acceleration, acceleration};
    return l;
}

TEST(Trapezoid, ReachesTheTopSpeedOrNot)
{
    // 100 mm at 10 mm/s with 100 mm/s²: L/v + v/a. 0.5 mm never reaches it: 2 sqrt(L/a).
    EXPECT_NEAR(machine::trapezoidSeconds(100, 0, 0, 10, 100), 10.1, 1e-12);
    EXPECT_NEAR(machine::trapezoidSeconds(0.5, 0, 0, 10, 100), 2 * std::sqrt(0.005), 1e-12);
    EXPECT_NEAR(machine::trapezoidSeconds(100, 10, 10, 10, 100), 10.0, 1e-12);
    EXPECT_EQ(machine::trapezoidSeconds(100, 0, 0, 10, machine::kUnlimited), 10.0);
}

// A fine time-step integration of one planned move: accelerate while the remaining way
// still allows braking to the exit speed, never above the top speed.
double integrate(const machine::PlannedMove& m)
{
    const double dt = 1e-5;
    double travelled = 0.0;
    double v = m.entry;
    double t = 0.0;
    while (travelled < m.length && t < 1e4) {
        const double remaining = m.length - travelled;
        const double braking = (v * v - m.exit * m.exit) / (2 * m.acceleration);
        double a = 0.0;
        if (braking >= remaining) {
            a = -m.acceleration;
        } else if (v < m.top) {
            a = m.acceleration;
        }
        double next = std::clamp(v + a * dt, 0.0, m.top);
        if (next <= 0.0 && remaining > 0.0) {
            next = 1e-6;  // the last sliver at the exit speed of 0
        }
        travelled += (v + next) / 2 * dt;
        v = next;
        t += dt;
    }
    return t;
}

TEST(MotionPlanner, RandomProgramAgreesWithATimeStepIntegration)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> step(-20.0, 20.0);
    std::uniform_real_distribution<double> feed(300.0, 6000.0);
    machine::MachineLimits l = limits(500.0);
    l.junctionDeviation = 0.05;
    MotionPlanner planner(l);
    double integrated = 0.0;
    double counted = 0.0;
    planner.onPlanned = [&](const machine::PlannedMove& m) {
        // Every plan keeps to what the machine can do.
        EXPECT_LE(m.entry, m.top * (1 + 1e-9));
        EXPECT_LE(m.exit, m.top * (1 + 1e-9));
        EXPECT_LE(std::fabs(m.exit * m.exit - m.entry * m.entry), 2 * m.acceleration * m.length * (1 + 1e-9));
        integrated += integrate(m);
        counted += m.seconds;
    };
    Vec3 at{0, 0, 0};
    for (int i = 0; i < 300; ++i) {
        // Runs of nearly collinear moves, then turns.
        const Vec3 to{at[0] + step(random), at[1] + (i % 7 == 0 ? step(random) : 0.5), at[2]};
        planner.line(at, to, feed(random));
        at = to;
    }
    planner.stop();
    EXPECT_NEAR(planner.seconds(), counted, 1e-9);
    EXPECT_NEAR(integrated / counted, 1.0, 0.01);
}

struct CollinearRun {
    double segment;     // mm
    int count;
    double feed;        // mm/min
    double acceleration;
};

// A straight run in many small moves plans as one move of the whole length (accelerate,
// cruise, brake), and the queue holds no more than about two braking distances of moves;
// also where a braking distance spans ten thousand moves of a micron.
TEST(MotionPlanner, CollinearRunsPlanAsOneMove)
{
    for (const CollinearRun run : {CollinearRun{0.01, 2000, 6000, 2000}, CollinearRun{0.01, 2000, 6000, 500},
                                   CollinearRun{0.05, 2000, 3000, 500}, CollinearRun{0.5, 1000, 600, 100},
                                   CollinearRun{0.01, 20000, 6000, 2000}, CollinearRun{0.001, 40000, 10000, 1500}}) {
        MotionPlanner planner(limits(run.acceleration));
        std::size_t mostQueued = 0;
        for (int i = 0; i < run.count; ++i) {
            planner.line({i * run.segment, 0, 0}, {(i + 1) * run.segment, 0, 0}, run.feed);
            mostQueued = std::max(mostQueued, planner.queued());
        }
        planner.stop();
        const double speed = run.feed / 60;
        const double closed = machine::trapezoidSeconds(run.segment * run.count, 0, 0, speed, run.acceleration);
        EXPECT_NEAR(planner.seconds() / closed, 1.0, 1e-3) << run.segment << " mm, a " << run.acceleration;
        const double braking = speed * speed / (2 * run.acceleration);
        EXPECT_LE(static_cast<double>(mostQueued), 2 * braking / run.segment + 4) << run.segment;
        EXPECT_FALSE(planner.estimated());
    }
}

// A run finer than the queue can hold (moves of a tenth of a micron, braking over 50 mm)
// is counted as an estimate that says so: never shorter than the plan, and close to it.
TEST(MotionPlanner, ARunFinerThanTheQueueIsAnEstimate)
{
    MotionPlanner planner(limits(100));
    constexpr double kSegment = 1e-4;
    constexpr int kCount = 600000;
    for (int i = 0; i < kCount; ++i) {
        planner.line({i * kSegment, 0, 0}, {(i + 1) * kSegment, 0, 0}, 6000);
        ASSERT_LE(planner.queued(), MotionPlanner::kMaxQueued + 1);
    }
    planner.stop();
    EXPECT_TRUE(planner.estimated());
    const double closed = machine::trapezoidSeconds(kSegment * kCount, 0, 0, 100, 100);
    EXPECT_GE(planner.seconds(), closed * (1 - 1e-9));
    EXPECT_LE(planner.seconds(), closed * 1.5);
}

// A long run without rest, its speed held below the feed by corners (a zigzag whose
// sharper turns come every few moves): each move is counted once the slower corner ahead
// holds it, so the queue stays a braking distance long, however long the run.
TEST(MotionPlanner, CornersAheadLetTheQueueGoOnALongRun)
{
    machine::MachineLimits l = limits(2000);
    l.junctionDeviation = 0.02;
    MotionPlanner planner(l);
    std::size_t longest = 0;
    Vec3 at{0, 0, 0};
    for (int i = 0; i < 200000; ++i) {
        const Vec3 to{at[0] + 0.1, i % 40 < 20 ? 0.0 : 0.2, 0};
        planner.line(at, to, 2000);
        at = to;
        longest = std::max(longest, planner.queued());
    }
    planner.stop();
    EXPECT_FALSE(planner.estimated());
    EXPECT_LT(longest, 1000u);
}

struct Corner {
    const char* name;
    Vec3 in;   // directions of the two moves
    Vec3 out;
    double acceleration;  // along the change of direction, as the axes allow
};

// The speed through a corner follows the junction deviation rule with the acceleration
// the axes allow along the change of direction.
TEST(MotionPlanner, CornersFollowTheJunctionDeviationRule)
{
    const double s = 1 / std::sqrt(5.0);
    for (const Corner& c : {Corner{"right angle in XY", {1, 0, 0}, {0, 1, 0}, 500 * std::sqrt(2.0)},
                            Corner{"change mostly in Z", {2 * s, 0, s}, {2 * s, 0, -s}, 50}}) {
        machine::MachineLimits l = limits(500.0);
        l.acceleration[2] = 50.0;  // Z is the slow axis
        l.junctionDeviation = 0.05;
        MotionPlanner planner(l);
        std::vector<machine::PlannedMove> planned;
        planner.onPlanned = [&](const machine::PlannedMove& m) { planned.push_back(m); };
        const Vec3 corner{c.in[0] * 100, c.in[1] * 100, c.in[2] * 100};
        planner.line({0, 0, 0}, corner, 600000);
        planner.line(corner, {corner[0] + c.out[0] * 100, corner[1] + c.out[1] * 100, corner[2] + c.out[2] * 100},
                     600000);
        planner.stop();
        ASSERT_EQ(planned.size(), 2u) << c.name;
        const double cosTheta = -(c.in[0] * c.out[0] + c.in[1] * c.out[1] + c.in[2] * c.out[2]);
        const double sinHalf = std::sqrt(0.5 * (1 - cosTheta));
        const double expected = std::sqrt(c.acceleration * 0.05 * sinHalf / (1 - sinHalf));
        EXPECT_NEAR(planned[0].exit, expected, expected * 1e-9) << c.name;
        EXPECT_EQ(planned[1].entry, planned[0].exit) << c.name;
    }
}

// Coordinates at the edge of a double make no infinite time, and no time turns NaN later.
TEST(MotionPlanner, MovesBeyondAnyNumberAreNoTime)
{
    MotionPlanner planner(limits(100.0));
    planner.rapid({-1e308, 0, 0}, {1e308, 0, 0});
    planner.wait(std::numeric_limits<double>::infinity());
    planner.rapid({0, 0, 0}, {10, 0, 0});
    EXPECT_TRUE(std::isfinite(planner.seconds()));
    EXPECT_GT(planner.seconds(), 0.0);
}

}  // namespace
