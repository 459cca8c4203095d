// Turns each interpreted block into the machine motions it stands for and hands them to
// the consumers. The one place that decides what a block does to the machine, when a
// tool changes and where a tool section ends; the classic booking of the analyzer is left
// as it is, and the classic report asks here where its sections end.
#pragma once

#include "nc/IsoNcAnalyzer.h"
#include "nc/Motion.h"

#include <array>
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

    // What the last block did: its M06 changed the tool (the line's last M code is 6,
    // as the classic report reads it); it ended a tool section (a tool change, or any
    // line from the program end on); an M02 or M30 was read on it or before.
    bool toolChanged() const { return toolChanged_; }
    bool sectionEnded() const { return sectionEnded_; }
    bool programEnded() const { return programEnded_; }

private:
    void emit(Motion& motion);
    void written(const IsoNcAnalyzer& analyzer);
    void endSection(const IsoNcAnalyzer& analyzer);
    void toolChange(const IsoNcAnalyzer& analyzer, bool spindleStartsToo);
    void move(MotionKind kind, const Point3& from, const Point3& to, double feed, int cycleCode = 0);
    void hole(const IsoNcAnalyzer& analyzer, const Motion& measured);
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
    double cycleDepth_ = 0.0;         // the Z increment of a cycle under G91
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
