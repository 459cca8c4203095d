// The planner against closed forms, and against a fine time-step integration of the speed
// profile it plans for a random program.
#include "machine/MotionPlanner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

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

TEST(MotionPlanner, WindowKeepsWhatTheWholeProgramWouldPlan)
{
    // A long straight run in many small moves never slows between them.
    MotionPlanner planner(limits(100.0));
    for (int i = 0; i < 1000; ++i) {
        planner.line({i * 0.5, 0, 0}, {(i + 1) * 0.5, 0, 0}, 600);
    }
    planner.stop();
    EXPECT_NEAR(planner.seconds(), machine::trapezoidSeconds(500, 0, 0, 10, 100), 1e-9);
}

}  // namespace
