// One analysis: from the run's settings to the three report files and the opened index
// page, with every check and message on the way.
#pragma once

#include "run/AppState.h"
#include "record/ProgramRecord.h"
#include "report/ReportOutput.h"
#include "run/RunSettings.h"
#include "run/Services.h"

#include <memory>
#include <string>

namespace run {

enum class RunOutcome {
    Completed,  // the report was written and handed to the shell
    Stopped,    // a check, a file or the data ended the run; the user has been told
    Cancelled,  // the user declined to overwrite the result folder
};

struct RunResult {
    RunOutcome outcome = RunOutcome::Stopped;
    std::string indexPage;  // the report's index page (UTF-8 path)
    bool opened = false;    // the shell opened it
    std::string sheet;      // the setup sheet, written when the run completed (UTF-8 path)
    // The figures of the run, also of one that ended early (with what it had).
    std::shared_ptr<const record::ProgramRecord> record;
};

// Writes to disk.
RunResult AnalysisRun(const RunSettings& settings, AppState& state, const Services& services);
// Writes the result folder and its files through `output`; the NC file and the templates
// are still read from disk.
RunResult AnalysisRun(const RunSettings& settings, AppState& state, const Services& services, report::ReportOutput& output);

// The start block that puts the interpreter at the start point: "G92X0.0Y0.0Z200.0".
std::string startBlock(double x, double y, double z);

}  // namespace run
