// A pecked hole is one motion in the stream; the clock must time it as the machine moves
// it, peck by peck: exactly as the moves written out when there are few pecks, and in
// closed form, to the same time, when there are many.
#include "machine/MachineClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using nc::Motion;
using nc::MotionKind;

struct PeckCase {
    const char* name;
    int cycle;        // 83 backs out to R, 73 by 0.2
    double r, bottom, peck;
    double feed;      // 0: no feed yet, the next move gives it
    bool inch;
    bool axisRapids;  // rapids axis by axis
    double acceleration;
};

machine::MachineProfile profileOf(const PeckCase& c)
{
    machine::MachineProfile p;
    p.rapid = std::array<double, 3>{30000.0, 30000.0, 12000.0};
    p.acceleration = std::array<double, 3>{c.acceleration, c.acceleration, c.acceleration};
    if (std::isinf(c.acceleration)) {
        p.acceleration.reset();
    }
    p.rapidMode = c.axisRapids ? machine::RapidMode::Axes : machine::RapidMode::Linear;
    return p;
}

Motion pecksOf(const PeckCase& c)
{
    Motion m;
    m.kind = MotionKind::Pecks;
    m.inch = c.inch;
    m.from = {5.0, 7.0, c.r};
    m.to = {5.0, 7.0, c.bottom};
    m.feed = c.feed;
    m.peck = c.peck;
    m.retract = c.cycle == 83 ? 0.0 : 0.2;
    m.count = static_cast<std::int64_t>(std::ceil(std::fabs(c.r - c.bottom) / c.peck));
    m.cycleCode = c.cycle;
    return m;
}

// The hole as the moves the machine makes, one motion each.
std::vector<Motion> writtenOut(const Motion& pecks)
{
    std::vector<Motion> moves;
    const auto add = [&](MotionKind kind, double from, double to) {
        Motion m = pecks;
        m.kind = kind;
        m.from[2] = from;
        m.to[2] = to;
        moves.push_back(m);
    };
    for (std::int64_t i = 1; i <= pecks.count; ++i) {
        const nc::Peck p = nc::peckOf(pecks, i);
        if (i > 1) {
            add(MotionKind::Rapid, p.start, p.out);
            add(MotionKind::Rapid, p.out, p.start);
        }
        add(MotionKind::Feed, p.start, p.end);
    }
    return moves;
}

double minutesOf(const PeckCase& c, const std::vector<Motion>& hole)
{
    machine::MachineClock clock(profileOf(c));
    for (const Motion& m : hole) {
        clock.motion(m);
    }
    // Out of the hole, as every cycle leaves it.
    Motion out = hole.back();
    out.kind = MotionKind::Rapid;
    out.from[2] = c.bottom;
    out.to[2] = c.r;
    clock.motion(out);
    // The move after the hole gives the feed a hole without one waits for.
    Motion next;
    next.kind = MotionKind::Feed;
    next.inch = c.inch;
    next.from = {5.0, 7.0, 50.0};
    next.to = {15.0, 7.0, 50.0};
    next.feed = 300.0;
    clock.motion(next);
    return clock.totalMinutes();
}

class PeckTime : public testing::TestWithParam<PeckCase> {};

TEST_P(PeckTime, IsTheTimeOfItsMovesWrittenOut)
{
    const PeckCase& c = GetParam();
    const Motion pecks = pecksOf(c);
    const double compact = minutesOf(c, {pecks});
    const double moves = minutesOf(c, writtenOut(pecks));
    if (pecks.count <= 1000) {
        EXPECT_EQ(compact, moves) << pecks.count << " pecks";
    } else {
        EXPECT_NEAR(compact, moves, moves * 1e-11) << pecks.count << " pecks";
    }
}

constexpr double kNoLimit = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Holes, PeckTime,
    testing::Values(
        PeckCase{"FewG83", 83, 2.0, -25.0, 5.0, 80.0, false, false, 2000.0},
        PeckCase{"FewG73Inch", 73, 0.1, -2.0, 0.004, 10.0, true, false, 2000.0},
        PeckCase{"ManyG83", 83, 2.0, -150.0, 0.1, 100.0, false, false, 2000.0},
        // Back-outs long enough to reach the rapid rate, and short ones that never do.
        PeckCase{"ManyG83SomeCruise", 83, 2.0, -400.0, 0.25, 100.0, false, true, 500.0},
        PeckCase{"ManyG83NoneCruise", 83, 0.0, -30.0, 0.01, 100.0, false, false, 20000.0},
        PeckCase{"ManyG83NoAcceleration", 83, 2.0, -150.0, 0.1, 100.0, false, false, kNoLimit},
        PeckCase{"ManyG73Inch", 73, 0.1, -2.0, 0.001, 10.0, true, false, 2000.0},
        PeckCase{"ManyG73Upwards", 73, -10.0, 20.0, 0.02, 100.0, false, false, 2000.0},
        PeckCase{"ManyG83NoFeedYet", 83, 2.0, -150.0, 0.1, 0.0, false, false, 2000.0},
        PeckCase{"FewG73NoFeedYet", 73, 2.0, -15.0, 1.0, 0.0, false, true, 2000.0}),
    [](const testing::TestParamInfo<PeckCase>& info) { return std::string(info.param.name); });

}  // namespace
