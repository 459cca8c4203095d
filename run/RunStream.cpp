#include "run/RunStream.h"

#include <algorithm>

namespace run {

namespace {

// The checks as the profile and the run's own settings set them up.
checks::CheckSettings checkSettings(const RunSettings& settings)
{
    checks::CheckSettings result;
    // The names were checked where they were read; one that names no check leaves nothing out.
    for (const auto* names : {&settings.machine.checkIgnore, &settings.ignoreChecks}) {
        for (const std::string& name : *names) {
            if (const auto code = checks::checkCodeOf(name)) {
                result.ignore.push_back(*code);
            }
        }
    }
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
    // The over-cut lines of each section are its over-cut findings.
    for (record::SectionRecord& section : record_.sections) {
        const auto [begin, end] = checks::findingsOn(record_.findings, section.firstLine, section.lastLine);
        for (auto f = begin; f != end; ++f) {
            if (f->code == checks::CheckCode::Overcut) {
                section.overcutLines.push_back(f->line);
            }
        }
    }
    record_.overcutCount = std::count_if(record_.findings.begin(), record_.findings.end(), [](const checks::Finding& f) {
        return f.code == checks::CheckCode::Overcut;
    });
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
