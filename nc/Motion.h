// The stream of machine motions: what the machine does, block by block, as the
// interpreter reads the program. Every consumer beyond the classic report (the machine
// clock, the toolpath pictures, the section record, the program checks) reads this stream
// and nothing of the interpreter's state, so what a block means is decided once, in
// MotionEmitter: where the tool goes, when a tool changes and where a tool section ends.
//
// Positions are X, Y, Z in the program's units (see `inch`), where the tool really is: a
// canned cycle's hole is expanded into the moves the control makes, and after it the
// tool stands at the cycle's return level until a block gives Z.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace nc {

using Point3 = std::array<double, 3>;

struct ReadWord;

// A block as it is written, for consumers that judge the writing (the checks).
struct WrittenBlock {
    std::string_view text;                    // the NC line, code page 932 bytes
    const std::vector<ReadWord>* words = nullptr;  // its words in order, as the reader scanned them
    std::size_t scanEnd = 0;                  // where the word scan stopped in `text`
    int motionCode = 0;                       // G00 to G03 (or 33) in force after the block
    bool cycleOff = true;                     // G80 in force: no canned cycle
    // Where it is written, when the flow has left the file's order: the program it
    // belongs to ("O1000"; "" in the main file's own flow) and its line in its file.
    std::string_view program;
    std::int64_t fileLine = 0;
    bool again = false;                       // it has run before (a later pass of a call or repeat)
};

// A tool section as the classic report books it (its INFO block): lengths and times in
// the program's units and minutes; extents keep their start markers on an axis the
// section never reached.
struct SectionFigures {
    double cutLength = 0.0;
    double cutTime = 0.0;
    double rapidTime = 0.0;
    double totalTime = 0.0;
    double minX = 0.0, minY = 0.0, minZ = 0.0;
    double maxX = 0.0, maxY = 0.0, maxZ = 0.0;
};

enum class MotionKind : std::uint8_t {
    Start,         // the run's start point, in `to`; before anything else
    Rapid,         // a traverse from `from` to `to`
    Feed,          // a straight cut from `from` to `to` at `feed`
    Arc,           // an arc (or helix) from `from` to `to`, see the arc fields
    Hole,          // a canned-cycle hole at `to` (X, Y, bottom Z), R level in `level`; its
                   // moves follow as Rapid, Feed, Pecks and Dwell motions
    Pecks,         // a pecking cycle's way down from `from` (at R) to `to` (the bottom) in
                   // `count` pecks of `peck` at `feed` (see peckOf): before each peck but
                   // the first the tool backs out and goes back down at the rapid rate.
                   // One motion however many pecks: what a hole costs does not grow with them
    Dwell,         // the machine waits `seconds`
    ToolChange,    // M06: `tool` comes in (after the SectionEnd of the tool it replaces);
                   // `text`: how the program describes it (the comment on its T line or on
                   // the comment line before, else on the M06 line)
    Spindle,       // M03 / M04 / M05 or a new S: `speed`, `spindle`
    Coolant,       // M07 / M08 on, M09 off: `on`
    ProgramStop,   // M00
    OptionalStop,  // M01
    ProgramEnd,    // M02 / M30
    Units,         // G20 / G21: `inch` is the new unit
    SectionEnd,    // a tool section ends (at M06, on the M02/M30 line and every line after,
                   // and where the program ends): its classic `figures`, `keep` when it took
                   // time or drilled (the sheet shows it), `section` its number from 0,
                   // `nextTool` the T in force (the tool of the next section, if any)
    Block,         // a block begins: `block` is how it is written; before its other motions
    Comment,       // the line's comment in `text`; `commentLine`: the line is only that
    WorkOffset,    // G54 to G59 (or another G of that group) in `number`
    ProgramNumber, // an O word: `number`
    Reference,     // a move of unknown length: a G28 / G30 / G53 whose end the machine
                   // profile does not give (Z taken to the top, the start point's Z; X and
                   // Y where they were), or the first move away from such an assumed place;
                   // `unknownAxes` names the axes (bit 0 X, 1 Y, 2 Z). Neither drawn nor
                   // timed. Rapid, Feed and Arc motions made while an axis stays assumed
                   // name it in `unknownAxes` too
    Call,          // the flow leaves the file's order (see `call`): `text` names the program
                   // ("O1000", "N100") or the repeated block ("L"), `pass` of `count`
};

// What a Call motion tells.
enum class CallEvent : std::uint8_t {
    Pass,          // a pass of a called program or of a repeated block begins
    Missing,       // the called program (or the N a call or return names) is nowhere
    Recursion,     // the called program is running already: the call is not made
    TooDeep,       // the call would nest deeper than the control allows: not made
    Endless,       // M99 in the main program: the machine would run it for ever; run once
    BlockLimit,    // the run stopped after `count` blocks run in calls and repeats
};

enum class SpindleState : std::uint8_t { Stopped, Clockwise, CounterClockwise };

struct Motion {
    MotionKind kind = MotionKind::Start;
    bool inch = false;           // positions, feed and lengths are in inches
    std::int64_t line = 0;       // NC line, from 1 (0: the start point)
    int section = 0;             // tool sections ended before this motion
    int tool = 0;                // the tool of the open section (ToolChange: the tool it brings)
    Point3 from{};
    Point3 to{};
    double feed = 0.0;           // Feed, Arc: per minute; 0 while the program gave no F

    // Arc: the plane's axes (0 = X, 1 = Y, 2 = Z; axis1 < axis2), the centre and radius on
    // them, the start angle, the sweep (radians, a full circle is 2 pi) and its direction.
    std::int8_t axis1 = 0;
    std::int8_t axis2 = 1;
    bool angleIncreasing = true;
    double centre1 = 0.0;
    double centre2 = 0.0;
    double radius = 0.0;
    double startAngle = 0.0;
    double sweep = 0.0;

    // Hole: the cycle code (73 to 89) and the R level; the moves of a hole carry the code too.
    int cycleCode = 0;
    double level = 0.0;
    bool noR = false;            // Hole: no R was ever given; the tool drills from where it is
    double peck = 0.0;           // Pecks: the depth of each peck
    double retract = 0.0;        // Pecks: how far the tool backs out; 0: up to R (`from`)

    double seconds = 0.0;        // Dwell
    double speed = 0.0;          // Spindle: S in force
    SpindleState spindle = SpindleState::Stopped;
    bool on = false;             // Coolant
    bool keep = false;           // SectionEnd
    int nextTool = 0;            // SectionEnd
    int number = 0;              // WorkOffset, ProgramNumber
    bool commentLine = false;    // Comment
    std::uint8_t unknownAxes = 0;  // Reference; Rapid, Feed, Arc: axes at an assumed place
    CallEvent call = CallEvent::Pass;  // Call
    int pass = 0;                // Call
    std::int64_t count = 0;      // Call; Pecks

    // Valid only while a consumer's motion() runs: one that keeps them copies them. The
    // stream worker hands none of them to its thread. `text` is UTF-8 (the written
    // block's text stays code page 932).
    std::string_view text;                    // Comment, ToolChange, Call
    const WrittenBlock* block = nullptr;      // Block
    const SectionFigures* figures = nullptr;  // SectionEnd
};

// One peck of a Pecks motion, `i` from 1 to its count: the level the tool backs out to
// before it (for i > 1), and where it starts and ends.
struct Peck {
    double out = 0.0;
    double start = 0.0;
    double end = 0.0;
};

inline Peck peckOf(const Motion& m, std::int64_t i)
{
    const double r = m.from[2];
    const double bottom = m.to[2];
    const double direction = bottom < r ? -1.0 : 1.0;
    Peck p;
    p.start = i == 1 ? r : r + direction * m.peck * static_cast<double>(i - 1);
    p.end = i == m.count ? bottom : r + direction * m.peck * static_cast<double>(i);
    p.out = m.retract == 0.0 ? r : p.start - direction * m.retract;
    return p;
}

// A consumer of the stream. Motions arrive in program order.
class MotionSink {
public:
    virtual ~MotionSink() = default;
    virtual void motion(const Motion& motion) = 0;
};

}  // namespace nc
