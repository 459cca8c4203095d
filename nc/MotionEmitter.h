// Turns each interpreted block into the machine motions it stands for and hands them to
// the consumers. The one place that decides what a block does to the machine; the
// classic booking of the analyzer is left as it is.
#pragma once

#include "nc/IsoNcAnalyzer.h"
#include "nc/Motion.h"

#include <array>
#include <cstdint>
#include <vector>

namespace nc {

class MotionEmitter {
public:
    // Consumers get every motion in order; they must outlive the emitter's use.
    void addSink(MotionSink& sink) { sinks_.push_back(&sink); }

    // The start point, where the tool is before the first line.
    void start(double x, double y, double z);
    // After `analyzer` has read line `line` (from 1), before the run consumes any of
    // its one-shot codes.
    void block(const IsoNcAnalyzer& analyzer, std::int64_t line);
    // The report folded a tool section after the last block; `keep`: the sheet shows it.
    // `tool` is the tool of the section that opens. A tool change read in the last block
    // follows, so its time belongs to the new section.
    void endSection(bool keep, int tool);

private:
    void emit(Motion& motion);
    void emitPendingToolChange();
    void move(MotionKind kind, const Point3& from, const Point3& to, double feed, int cycleCode = 0);
    void hole(const IsoNcAnalyzer& analyzer);
    // Where the tool is before this block's move: the interpreter's last position, but
    // where the tool is held apart from it.
    Point3 position(const IsoNcAnalyzer& analyzer) const;
    // A move measured from the words, made to start where the tool is.
    void fromWhereTheToolIs(const IsoNcAnalyzer& analyzer, Point3& from, Point3& to, Motion* arc) const;
    void releaseGivenAxes(const IsoNcAnalyzer& analyzer);

    std::vector<MotionSink*> sinks_;
    Motion moveScratch_;  // every move goes out in it; only the fields of a move change
    std::int64_t line_ = 0;
    int section_ = 0;
    int tool_ = 0;
    bool inch_ = false;
    bool pendingToolChange_ = false;  // an M06 read, waiting for its section end
    int pendingTool_ = 0;
    std::int64_t pendingToolLine_ = 0;
    bool pendingToolSpindleStart_ = false;  // the M06's line also gives M03 or M04
    double cycleDwell_ = 0.0;         // P (ms) of the cycle in force; 0 without one
    double cycleDepth_ = 0.0;         // the Z increment of a cycle under G91
    // Axes on which the tool is not where the interpreter's words say: Z at a cycle's
    // return level after a hole, the axes a G10 or G52 block gives; until a block puts it
    // where the program says.
    std::array<bool, 3> held_{false, false, false};
    Point3 heldAt_{};
    SpindleState spindle_ = SpindleState::Stopped;
    double speed_ = 0.0;
};

}  // namespace nc
