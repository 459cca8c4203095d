#include "nc/MotionEmitter.h"
#include "tests/nc/AnalyzerSupport.h"
#include "util/Number.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using nc::MotionKind;

std::string point(const nc::Point3& p)
{
    return util::formatGeneral(p[0]) + "," + util::formatGeneral(p[1]) + "," + util::formatGeneral(p[2]);
}

// One motion as a short text: its kind, what matters of it, and its line.
std::string describe(const nc::Motion& m)
{
    std::string text;
    switch (m.kind) {
    case MotionKind::Start: text = "start " + point(m.to); break;
    case MotionKind::Rapid:
        text = "rapid " + point(m.from) + " > " + point(m.to) + (m.unknownAxes ? " assumed " + std::to_string(m.unknownAxes) : "");
        break;
    case MotionKind::Feed: text = "feed " + point(m.from) + " > " + point(m.to) + " F" + util::formatGeneral(m.feed); break;
    case MotionKind::Arc:
        text = "arc " + point(m.from) + " > " + point(m.to) + " plane " + std::to_string(m.axis1) +
               std::to_string(m.axis2) + " centre " + util::formatGeneral(m.centre1) + "," +
               util::formatGeneral(m.centre2) + (m.angleIncreasing ? " ccw" : " cw");
        break;
    case MotionKind::Pecks:
        // Written out peck by peck, as the machine moves, when there are few.
        if (m.count > 10) {
            text = "pecks " + std::to_string(m.count);
            break;
        }
        for (std::int64_t i = 1; i <= m.count; ++i) {
            const nc::Peck p = nc::peckOf(m, i);
            const nc::Point3 start{m.to[0], m.to[1], p.start};
            const nc::Point3 out{m.to[0], m.to[1], p.out};
            if (i > 1) {
                text += "rapid " + point(start) + " > " + point(out) + " | rapid " + point(out) + " > " + point(start) + " | ";
            }
            text += "feed " + point(start) + " > " + point({m.to[0], m.to[1], p.end}) + " F" + util::formatGeneral(m.feed) +
                    (i < m.count ? " | " : "");
        }
        break;
    case MotionKind::Hole:
        text = "hole G" + std::to_string(m.cycleCode) + " " + point(m.to) + " R" + util::formatGeneral(m.level) +
               (m.noR ? " no R" : "");
        break;
    case MotionKind::Dwell: text = "dwell " + util::formatGeneral(m.seconds); break;
    case MotionKind::ToolChange: text = "tool change T" + std::to_string(m.tool); break;
    case MotionKind::Spindle: text = "spindle S" + util::formatGeneral(m.speed) + " " + std::to_string(int(m.spindle)); break;
    case MotionKind::Coolant: text = m.on ? "coolant on" : "coolant off"; break;
    case MotionKind::ProgramStop: text = "stop"; break;
    case MotionKind::OptionalStop: text = "optional stop"; break;
    case MotionKind::ProgramEnd: text = "end"; break;
    case MotionKind::Units: text = m.inch ? "inch" : "mm"; break;
    case MotionKind::SectionEnd: text = m.keep ? "section end, kept" : "section end"; break;
    case MotionKind::Block:
    case MotionKind::Comment:
    case MotionKind::WorkOffset:
    case MotionKind::ProgramNumber: text = "writing"; break;
    case MotionKind::Reference: text = "reference " + point(m.from) + " > " + point(m.to) + " assumed " + std::to_string(m.unknownAxes); break;
    case MotionKind::Call: text = "call " + std::string(m.text) + " " + std::to_string(m.pass) + "/" + std::to_string(m.count); break;
    }
    return text + (m.inch && m.kind != MotionKind::Units ? " (inch)" : "") + " @" + std::to_string(m.line) + "/s" +
           std::to_string(m.section);
}

class Recorder : public nc::MotionSink {
public:
    std::vector<std::string> seen;
    void motion(const nc::Motion& m) override
    {
        if (m.kind != MotionKind::Block && m.kind != MotionKind::Comment && m.kind != MotionKind::WorkOffset &&
            m.kind != MotionKind::ProgramNumber) {
            seen.push_back(describe(m));
        }
    }
};

// Reads the lines as a run does: each block into the emitter, which ends the sections.
std::vector<std::string> motionsOf(std::initializer_list<std::string_view> lines,
                                   const std::function<void(nc::MotionEmitter&)>& setUp = {})
{
    nc::IsoNcAnalyzer analyzer;
    nctest::startRun(analyzer, "G92X0.Y0.Z50.");
    nc::MotionEmitter emitter;
    if (setUp) {
        setUp(emitter);
    }
    Recorder recorder;
    emitter.addSink(recorder);
    emitter.start(0, 0, 50);
    std::int64_t number = 0;
    for (const std::string_view line : lines) {
        analyzer.setLine(line);
        emitter.block(analyzer, ++number);
    }
    return recorder.seen;
}

TEST(MotionEmitter, ExpandsCyclesAndFollowsTheToolThroughArcsUnitsDwellsAndToolChanges)
{
    const std::vector<std::string> expected{
        "start 0,0,50 @0/s0",
        "spindle S1000 1 @1/s0",
        "rapid 0,0,50 > 10,10,50 @1/s0",
        // G98: down to R, the hole, back to the initial level.
        "hole G81 10,10,-5 R2 @2/s0",
        "rapid 10,10,50 > 10,10,2 @2/s0",
        "feed 10,10,2 > 10,10,-5 F100 @2/s0",
        "rapid 10,10,-5 > 10,10,50 @2/s0",
        // G99: across at the level it stands at, back to R only.
        "hole G81 20,10,-5 R2 @3/s0",
        "rapid 10,10,50 > 20,10,50 @3/s0",
        "rapid 20,10,50 > 20,10,2 @3/s0",
        "feed 20,10,2 > 20,10,-5 F100 @3/s0",
        "rapid 20,10,-5 > 20,10,2 @3/s0",
        // After the cycle the tool climbs from R, not from the hole's bottom.
        "rapid 20,10,2 > 20,10,30 @5/s0",
        "arc 20,10,30 > 30,10,30 plane 01 centre 25,10 cw @6/s0",
        "arc 30,10,30 > 40,10,30 plane 02 centre 35,30 ccw @7/s0",
        "arc 40,10,30 > 40,20,30 plane 12 centre 15,30 cw @8/s0",
        "dwell 0.5 @9/s0",
        "inch @10/s0",
        // Where the tool is, told in inches from here on (40 mm is 1.5748 inch).
        "feed 1.5748031496063,0.78740157480315,1.18110236220472 > 2,0.78740157480315,1.18110236220472 F200 (inch) "
        "@10/s0",
        "spindle S1000 0 (inch) @11/s0",
        "section end, kept (inch) @12/s0",
        "tool change T2 (inch) @12/s1",
        "coolant on (inch) @13/s1",
        "end (inch) @14/s1",
        // The program end ends the section (the analyzer's sums were never folded here).
        "section end, kept (inch) @14/s1",
    };
    EXPECT_EQ(motionsOf({"G90 G00 X10. Y10. Z50. S1000 M03",
                         "G98 G81 X10. Y10. Z-5. R2. F100",
                         "G99 X20.",
                         "G80",
                         "G00 Z30.",
                         "G17 G02 X30. Y10. I5. J0. F200",
                         "G18 G02 X40. Z30. I5. K0.",
                         "G19 G02 Y20. Z30. J5. K0.",
                         "G04 P500",
                         "G20 G01 X2.",
                         "M05",
                         "T2 M06",
                         "M08",
                         "M30"}),
              expected);
}

TEST(MotionEmitter, PecksBackOutToRForG83AndALittleForG73)
{
    const std::vector<std::string> g83 = motionsOf({"G00 X0. Y0. Z10.", "G99 G83 Z-4. R1. Q2. F50"});
    EXPECT_EQ(std::vector<std::string>(g83.begin() + 2, g83.end()),
              (std::vector<std::string>{"hole G83 0,0,-4 R1 @2/s0", "rapid 0,0,10 > 0,0,1 @2/s0",
                                        "feed 0,0,1 > 0,0,-1 F50 | rapid 0,0,-1 > 0,0,1 | rapid 0,0,1 > 0,0,-1 | "
                                        "feed 0,0,-1 > 0,0,-3 F50 | rapid 0,0,-3 > 0,0,1 | rapid 0,0,1 > 0,0,-3 | "
                                        "feed 0,0,-3 > 0,0,-4 F50 @2/s0",
                                        "rapid 0,0,-4 > 0,0,1 @2/s0"}));
    const std::vector<std::string> g73 = motionsOf({"G00 X0. Y0. Z10.", "G99 G73 Z-3. R1. Q2. F50"});
    EXPECT_EQ(std::vector<std::string>(g73.begin() + 4, g73.end()),
              (std::vector<std::string>{"feed 0,0,1 > 0,0,-1 F50 | rapid 0,0,-1 > 0,0,-0.8 | rapid 0,0,-0.8 > 0,0,-1 | "
                                        "feed 0,0,-1 > 0,0,-3 F50 @2/s0",
                                        "rapid 0,0,-3 > 0,0,1 @2/s0"}));
    // However deep the hole and small the peck, one motion: the count says how many.
    const std::vector<std::string> deep = motionsOf({"G00 X0. Y0. Z10.", "G99 G83 Z-24000. R0.1 Q0.05 F15."});
    EXPECT_EQ(deep.at(deep.size() - 2), "pecks 480002 @2/s0");
}

// Cycles as the control runs them: a dwell only where the cycle gives P, tapping feeds
// out, G91 counts R from the initial level and Z from R; a block that sets coordinates
// moves nothing.
TEST(MotionEmitter, CycleDwellTappingIncrementalAndCoordinateSetting)
{
    const auto tail = [](const std::vector<std::string>& all, std::size_t from) {
        return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(from), all.end());
    };
    EXPECT_EQ(tail(motionsOf({"G00 X0. Y0. Z10.", "G99 G82 Z-2. R1. F50", "X5. P500", "G80"}), 2),
              (std::vector<std::string>{"hole G82 0,0,-2 R1 @2/s0", "rapid 0,0,10 > 0,0,1 @2/s0",
                                        "feed 0,0,1 > 0,0,-2 F50 @2/s0", "rapid 0,0,-2 > 0,0,1 @2/s0",
                                        "hole G82 5,0,-2 R1 @3/s0", "rapid 0,0,1 > 5,0,1 @3/s0",
                                        "feed 5,0,1 > 5,0,-2 F50 @3/s0", "dwell 0.5 @3/s0",
                                        "rapid 5,0,-2 > 5,0,1 @3/s0"}));
    EXPECT_EQ(tail(motionsOf({"G00 X0. Y0. Z10.", "G98 G84 Z-5. R2. F100"}), 3),
              (std::vector<std::string>{"rapid 0,0,10 > 0,0,2 @2/s0", "feed 0,0,2 > 0,0,-5 F100 @2/s0",
                                        "feed 0,0,-5 > 0,0,10 F100 @2/s0"}));
    EXPECT_EQ(tail(motionsOf({"G00 X0. Y0. Z50.", "G91 G99 G81 X10. Z-5. R-2. F100"}), 2),
              (std::vector<std::string>{"rapid 0,0,50 > 10,0,50 @2/s0", "rapid 10,0,50 > 10,0,48 @2/s0",
                                        "feed 10,0,48 > 10,0,43 F100 @2/s0", "rapid 10,0,43 > 10,0,48 @2/s0"}));
    EXPECT_EQ(tail(motionsOf({"G00 X0. Y0. Z50.", "G92 X100. Y100. Z0.", "G10 L2 P1 X5.", "X110."}), 1),
              (std::vector<std::string>{"rapid 100,100,0 > 110,100,0 @4/s0"}));
}

// The emitter alone knows where the tool is. Words that a G10 moves away from the tool
// leave it where it is, and lines that move nothing add no motion, however the
// difference rounds (it once gave a rapid of 1e-15 mm on every line after it).
TEST(MotionEmitter, WordsMovedAwayFromTheToolMoveNothing)
{
    EXPECT_EQ(motionsOf({"G00 X33.306 Y-11.01 Z0.002", "G10 L2 P2 X0. Y-101.6 Z0.", "(POCKETS)", "(TOOL)", "G04 P100",
                         "G00 X3.061"}),
              (std::vector<std::string>{"start 0,0,50 @0/s0", "rapid 0,0,50 > 33.306,-11.01,0.002 @1/s0",
                                        "dwell 0.1 @5/s0", "rapid 33.306,-11.01,0.002 > 3.061,-11.01,0.002 @6/s0"}));
}

// The cycle's data as the control keeps it: R and Z are levels that later blocks keep
// (under G91 R from the initial level, Z from R), the initial level is where Z stood as
// the cycle began (again after a G80), a block that gives no position drills nothing,
// L0 only stores the data, and holes without any R say so once.
TEST(MotionEmitter, CycleDataIsKeptAsTheControlKeepsIt)
{
    const auto holes = [](const std::vector<std::string>& all) {
        std::vector<std::string> out;
        for (const std::string& m : all) {
            if (m.starts_with("hole") || m.find("> ") != std::string::npos) {
                out.push_back(m);
            }
        }
        return out;
    };
    // G91: R 2 below the initial level 50, Z 5 below R; the next block keeps both.
    EXPECT_EQ(holes(motionsOf({"G00 X0. Y0. Z50.", "G91 G98 G81 X10. R-2. Z-5. F100", "X10.", "G80"})),
              (std::vector<std::string>{
                  "hole G81 10,0,43 R48 @2/s0", "rapid 0,0,50 > 10,0,50 @2/s0", "rapid 10,0,50 > 10,0,48 @2/s0",
                  "feed 10,0,48 > 10,0,43 F100 @2/s0", "rapid 10,0,43 > 10,0,50 @2/s0",
                  "hole G81 20,0,43 R48 @3/s0", "rapid 10,0,50 > 20,0,50 @3/s0", "rapid 20,0,50 > 20,0,48 @3/s0",
                  "feed 20,0,48 > 20,0,43 F100 @3/s0", "rapid 20,0,43 > 20,0,50 @3/s0"}));
    // G98 after a G99 cycle and a G80 returns to where the new cycle began (R 2), not to
    // the Z last given outside a cycle (20).
    const auto lastMove = [](const std::vector<std::string>& all) { return all.back(); };
    EXPECT_EQ(lastMove(motionsOf({"G00 X0. Y0. Z20.", "G99 G81 X5. Z-3. R2. F100", "G80", "G98 G81 X15. Z-3. R2."})),
              "rapid 15,0,-3 > 15,0,2 @4/s0");
    // L0 stores, a block without a position drills nothing, no R is told once.
    const std::vector<std::string> stored = holes(motionsOf({"G00 X0. Y0. Z20.", "G81 X5. Z-3. R2. F100 L0", "F200", "X9."}));
    ASSERT_EQ(stored.size(), 6u);  // the climb to Z20, then the one hole
    EXPECT_EQ(stored[1], "hole G81 9,0,-3 R2 @4/s0");
    const std::vector<std::string> noR = holes(motionsOf({"G00 X0. Y0. Z20.", "G81 X5. Z-3. F100", "X9.", "G80"}));
    ASSERT_EQ(noR.size(), 11u);
    EXPECT_EQ(noR[1], "hole G81 5,0,-3 R0 no R @2/s0");
    EXPECT_EQ(noR[6], "hole G81 9,0,-3 R0 @3/s0");
}

// G28 and G30 go through their intermediate point; where the reference point lies is
// known only from the machine's profile, and otherwise the tool is taken to the top (the
// start point's Z) with the assumption named. G53 is machine coordinates for its block.
TEST(MotionEmitter, ReferenceMovesEndWhereTheMachineSays)
{
    const auto after = [](const std::vector<std::string>& all, std::size_t from) {
        return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(from), all.end());
    };
    // Moves at the assumed height are named so; the first that leaves it is of unknown
    // length too, and after it Z is known again.
    EXPECT_EQ(after(motionsOf({"G01 X10. Y5. Z-2. F100", "G91 G28 Z5.", "G90 G00 X0.", "Z5.", "X3."}), 2),
              (std::vector<std::string>{"rapid 10,5,-2 > 10,5,3 @2/s0", "reference 10,5,3 > 10,5,50 assumed 4 @2/s0",
                                        "rapid 10,5,50 > 0,5,50 assumed 4 @3/s0",
                                        "reference 0,5,50 > 0,5,5 assumed 4 @4/s0", "rapid 0,5,5 > 3,5,5 @5/s0"}));
    const auto machine = [](nc::MotionEmitter& e) {
        std::array<std::optional<nc::Point3>, 6> offsets{};
        offsets[0] = nc::Point3{-400.0, -200.0, -300.0};
        e.setMachine(nc::Point3{0.0, 0.0, 0.0}, offsets);
    };
    EXPECT_EQ(after(motionsOf({"G01 X10. Y5. Z-2. F100", "G91 G28 Z0.", "G90 G53 X-380. Z-100."}, machine), 2),
              (std::vector<std::string>{"rapid 10,5,-2 > 10,5,300 @2/s0", "rapid 10,5,300 > 20,5,200 @3/s0"}));
    // G30 names no point the profile gives; G53 without offsets is assumed too.
    EXPECT_EQ(after(motionsOf({"G01 X10. Y5. Z-2. F100", "G30 X0. Y0.", "G53 Z0."}, machine), 2),
              (std::vector<std::string>{"rapid 10,5,-2 > 0,0,-2 @2/s0", "reference 0,0,-2 > 0,0,-2 assumed 3 @2/s0",
                                        "rapid 0,0,-2 > 0,0,300 assumed 3 @3/s0"}));
    EXPECT_EQ(after(motionsOf({"G01 X10. Y5. Z-2. F100", "G53 Z0."}), 2),
              (std::vector<std::string>{"reference 10,5,-2 > 10,5,50 assumed 4 @2/s0"}));
}

}  // namespace
