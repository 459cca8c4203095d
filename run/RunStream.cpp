#include "run/RunStream.h"

namespace run {

namespace {

// The checks as the profile and the run's own settings set them up.
checks::CheckSettings checkSettings(const RunSettings& settings)
{
    checks::CheckSettings result;
    result.ignore = settings.machine.checkIgnore;
    result.ignore.insert(result.ignore.end(), settings.ignoreChecks.begin(), settings.ignoreChecks.end());
    result.arcTolerance = settings.machine.arcTolerance;
    result.limits = settings.machine.limits;
    result.wholeUnits = settings.machine.wholeUnits;
    return result;
}

}  // namespace

RunStream::RunStream(const RunSettings& settings, record::ProgramRecord& record, nc::MotionSink* tap)
    : record_(record), recorder_(record), checks_(checkSettings(settings)), clock_(settings.machine)
{
    record_.machine = settings.machine;
    if (tap) {
        emitter_.addSink(*tap);
    }
    emitter_.addSink(recorder_);
    emitter_.addSink(checks_);
    if (settings.writeSheet) {
        worker_.addSink(pictures_);
    }
    if (!clock_.isClassic()) {
        worker_.addSink(clock_);
    }
    if (worker_.hasSinks()) {
        emitter_.addSink(worker_);
    }
}

void RunStream::sectionEnded(const report::RunSummary& summary, int heading, int tool, const std::string& anchor,
                             std::int64_t lastLine, int toolAfter)
{
    const bool kept = recorder_.sectionFolded(summary, heading, tool, anchor, lastLine);
    emitter_.endSection(kept, toolAfter);
}

void RunStream::finish(const report::RunSummary& summary, bool completed, std::int64_t lastLine)
{
    finished_ = true;
    recorder_.finish(summary);
    checks_.finish(completed, lastLine);
    record_.findings = checks_.takeFindings();
    worker_.finish();
    if (clock_.isClassic()) {
        return;
    }
    record_.machineTotal = clock_.totalMinutes();
    record_.machineUntimedHoles = clock_.untimedHoles();
    const std::vector<double>& minutes = clock_.sectionMinutes();
    for (std::size_t i = 0; i < record_.sections.size() && i < minutes.size(); ++i) {
        record_.sections[i].machineTime = minutes[i];
    }
}

}  // namespace run
