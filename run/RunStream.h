// The motion stream of one run and its consumers: the section record and the program
// checks on the run's thread, the pictures and the machine clock on a worker's. The run
// tells it each line and each section end; it keeps the record's stream-made figures.
#pragma once

#include "checks/ProgramChecks.h"
#include "machine/MachineClock.h"
#include "nc/IsoNcAnalyzer.h"
#include "nc/MotionEmitter.h"
#include "record/ProgramRecord.h"
#include "record/SectionRecorder.h"
#include "report/RunSummary.h"
#include "run/RunSettings.h"
#include "run/StreamWorker.h"
#include "sheet/SheetPictures.h"

#include <cstdint>
#include <string>

namespace run {

class RunStream {
public:
    RunStream(const RunSettings& settings, record::ProgramRecord& record, nc::MotionSink* tap = nullptr);
    RunStream(const RunStream&) = delete;
    RunStream& operator=(const RunStream&) = delete;

    void start(double x, double y, double z) { emitter_.start(x, y, z); }
    // After the interpreter has read line `number`, before the run consumes any of its
    // one-shot codes.
    void line(std::int64_t number, const std::string& text, const nc::IsoNcAnalyzer& analyzer)
    {
        recorder_.line(number, text, analyzer);
        checks_.line(number, text, analyzer);
        emitter_.block(analyzer, number);
    }
    // The classic report flagged an over-cut on line `number`: a finding like the checks'.
    void overcut(std::int64_t number, int dNumber, double toolRadius, double arcRadius)
    {
        checks_.overcut(number, dNumber, toolRadius, arcRadius);
    }
    // The report folded a section ending at `lastLine`: its heading number, tool and
    // anchor; `toolAfter` is the tool of the section that opens.
    void sectionEnded(const report::RunSummary& summary, int heading, int tool, const std::string& anchor,
                      std::int64_t lastLine, int toolAfter);
    // The program is read: `completed` when to its end; `summary` holds every section.
    // Waits for the worker and takes its figures into the record.
    void finish(const report::RunSummary& summary, bool completed, std::int64_t lastLine);
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
