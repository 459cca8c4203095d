// The motion stream of one run and its consumers: the section record and the program
// checks on the run's thread, the pictures and the machine clock on a worker's. The run
// hands it each interpreted line; the stream says where tool sections end.
#pragma once

#include "checks/ProgramChecks.h"
#include "machine/MachineClock.h"
#include "nc/IsoNcAnalyzer.h"
#include "nc/MotionEmitter.h"
#include "record/ProgramRecord.h"
#include "record/SectionRecorder.h"
#include "run/RunSettings.h"
#include "run/StreamWorker.h"
#include "sheet/SheetPictures.h"

#include <cstdint>
#include <string>

namespace run {

class RunStream {
public:
    RunStream(const RunSettings& settings, record::ProgramRecord& record, nc::MotionSink* tap = nullptr);
    // The pictures' halves stop waiting for each other before the worker's lanes stop.
    ~RunStream() { pictures_.abandon(); }
    RunStream(const RunStream&) = delete;
    RunStream& operator=(const RunStream&) = delete;

    void start(double x, double y, double z) { emitter_.start(x, y, z); }
    // After the interpreter has read line `number`, before the run consumes any of its
    // one-shot codes.
    void line(std::int64_t number, const nc::IsoNcAnalyzer& analyzer) { emitter_.block(analyzer, number); }
    // Where the next line is written (see nc::MotionEmitter::setSource).
    void source(std::string_view program, std::int64_t fileLine, bool again)
    {
        emitter_.setSource(program, fileLine, again);
    }
    // The flow left the file's order before the next line.
    void call(nc::CallEvent event, std::string_view label, int pass, int count)
    {
        emitter_.call(event, label, pass, count);
    }
    // What the last line did to the tool sections (see nc::MotionEmitter).
    bool toolChanged() const { return emitter_.toolChanged(); }
    bool sectionEnded() const { return emitter_.sectionEnded(); }
    bool programEnded() const { return emitter_.programEnded(); }
    // The classic report flagged an over-cut on line `number`: a finding like the checks'.
    void overcut(std::int64_t number, int dNumber, double toolRadius, double arcRadius)
    {
        checks_.overcut(number, dNumber, toolRadius, arcRadius);
    }
    // What the macro reader found on line `number`; `stops`: the run ends there.
    void macroFinding(checks::CheckCode code, std::int64_t number, std::string message, bool stops = false)
    {
        checks_.macro(code, number, std::move(message));
        if (stops) {
            checks_.endedAt();
        }
    }
    // Where the tool is now.
    const nc::Point3& position() const { return emitter_.position(); }
    // The program is read up to line `lastLine`: `completed` when to its end, else
    // stopped there for `stopReason` (when known, a finding says so). The open section
    // ends; waits for the worker and takes its figures into the record; the whole
    // program's picture is drawn ahead for the sheet (see SheetPictures::drawWholeAhead).
    void finish(const nc::IsoNcAnalyzer& analyzer, bool completed, std::int64_t lastLine,
                const std::string& stopReason = {});
    bool finished() const { return finished_; }

    // After finish().
    sheet::SheetPictures& pictures() { return pictures_; }

private:
    record::ProgramRecord& record_;
    record::SectionRecorder recorder_;
    checks::ProgramChecks checks_;
    // The clock and the pictures work on the stream worker's thread: each on cache lines
    // of its own, away from what the run's thread writes at every line.
    alignas(64) machine::MachineClock clock_;
    alignas(64) sheet::SheetPictures pictures_;
    alignas(64) StreamWorker worker_;  // after what it feeds: it stops before they go
    alignas(64) nc::MotionEmitter emitter_;
    bool finished_ = false;
};

}  // namespace run
