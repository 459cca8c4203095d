// Turns each interpreted block into the machine motions it stands for and hands them to
// the consumers. The one place that decides what a block does to the machine, when a
// tool changes and where a tool section ends; the classic booking of the analyzer is left
// as it is, and the classic report asks here where its sections end.
#pragma once

#include "nc/IsoNcAnalyzer.h"
#include "nc/Motion.h"
#include "nc/ProgramFlow.h"

#include <array>
#include <optional>
#include <cstdint>
#include <string>
#include <vector>

namespace nc {

class MotionEmitter {
public:
    // Consumers get every motion in order; they must outlive the emitter's use.
    void addSink(MotionSink& sink) { sinks_.push_back(&sink); }

    // The start point, where the tool is before the first line; before anything else.
    void start(double x, double y, double z);
    // After `analyzer` has read line `line` (from 1), before the run consumes any of
    // its one-shot codes.
    void block(const IsoNcAnalyzer& analyzer, std::int64_t line);
    // The program is read, to its end or up to line `lastLine` where the run stopped: the
    // open section ends, unless the program end has ended every section.
    void finish(const IsoNcAnalyzer& analyzer, std::int64_t lastLine);
    // The flow left the file's order before the next block (a call, a pass, a call that
    // could not be made): `label` names the program or the repeated block.
    void call(CallEvent event, std::string_view label, int pass, int count);
    // Where the next block is written: its program ("" in the main file's own flow) and
    // its line in its file (the block's line while the flow keeps the file's order), and
    // whether it has run before.
    void setSource(std::string_view program, std::int64_t fileLine, bool again)
    {
        written_.program = program;
        written_.fileLine = fileLine;
        written_.again = again;
    }
    // Whose rules decide where controls differ.
    void setControl(Control control) { control_ = control; }
    // The machine as its profile gives it: the reference point in machine coordinates
    // and the work offsets (G54 to G59, index 0 to 5); a G28 or G53 ends where they put it.
    void setMachine(const std::optional<Point3>& home, const std::array<std::optional<Point3>, 6>& offsets)
    {
        home_ = home;
        offsets_ = offsets;
    }

    // What the last block did: its M06 changed the tool (the line's last M code is 6,
    // as the classic report reads it); it ended a tool section (a tool change, or any
    // line from the program end on); an M02 or M30 was read on it or before.
    bool toolChanged() const { return toolChanged_; }
    bool sectionEnded() const { return sectionEnded_; }
    bool programEnded() const { return programEnded_; }
    // Where the tool is now.
    const Point3& position() const { return position_; }

private:
    void emit(Motion& motion);
    void written(const IsoNcAnalyzer& analyzer);
    void endSection(const IsoNcAnalyzer& analyzer);
    void toolChange(const IsoNcAnalyzer& analyzer, bool spindleStartsToo);
    void move(MotionKind kind, const Point3& from, const Point3& to, double feed, int cycleCode = 0);
    // The block's canned-cycle data, and its hole when it drills one.
    void cycle(const IsoNcAnalyzer& analyzer);
    void hole(const IsoNcAnalyzer& analyzer, double x, double y);
    // G28 / G30 (via their intermediate point) and G53 (machine coordinates, one block).
    void reference(const IsoNcAnalyzer& analyzer, int code);
    // A move measured from the words, made to start where the tool is.
    void fromWhereTheToolIs(const IsoNcAnalyzer& analyzer, Motion& move) const;

    std::vector<MotionSink*> sinks_;
    Motion moveScratch_;  // most motions are moves: one is kept and refilled rather than built anew
    Motion blockScratch_;  // every block's writing goes out in it
    std::int64_t line_ = 0;
    int section_ = 0;
    int tool_ = 0;
    bool inch_ = false;
    bool toolChanged_ = false;        // of the last block, see toolChanged()
    bool sectionEnded_ = false;
    bool programEnded_ = false;
    int sectionHoles_ = 0;            // holes drilled in the open section
    // How the program names the tool that comes next: the comment on the last T line, or
    // on the comment line right before it (UTF-8).
    std::string toolComment_;
    std::string previousLineComment_;  // of the line before, when it is only a comment (code page 932)
    std::string lineComment_;          // of the line just read (UTF-8)
    std::string description_;          // of the tool change going out
    WrittenBlock written_;
    SectionFigures figures_;
    double cycleDwell_ = 0.0;         // P (ms) of the cycle in force; 0 without one
    // The cycle data as the control keeps it: R and the bottom as levels, whatever
    // distance mode gave them; the initial level is where Z stood when the cycle began.
    bool cycleActive_ = false;
    bool rGiven_ = false;             // a cycle block has given R
    bool noRTold_ = false;            // this cycle's holes without R have been told
    double rLevel_ = 0.0;
    double bottom_ = kUnknownPosition;
    double initialLevel_ = 0.0;
    Control control_ = Control::Fanuc;
    std::optional<Point3> home_;
    std::array<std::optional<Point3>, 6> offsets_{};
    double topZ_ = kFallbackStartZ;   // the start point's Z: where Z stands after an unknown return
    std::uint8_t assumed_ = 0;        // axes whose place is assumed since such a return (bit 0 X)
    // Where the tool is, the one account of it: the start point, then the end of every
    // move. The interpreter's words say where the program puts the tool; the two part on
    // the axes a hole's return level, a G10 or a G52 leaves apart, until a block gives
    // the axis absolutely.
    Point3 position_{kFallbackStartX, kFallbackStartY, kFallbackStartZ};
    bool moved_ = false;  // the tool has left the start point: a change of unit converts where it is
    SpindleState spindle_ = SpindleState::Stopped;
    double speed_ = 0.0;
};

}  // namespace nc
