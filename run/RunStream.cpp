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
    emitter_.setControl(settings.machine.control);
    emitter_.setMachine(settings.machine.home, settings.machine.offsets);
    if (tap) {
        emitter_.addSink(*tap);
    }
    emitter_.addSink(recorder_);
    emitter_.addSink(checks_);
    // A lane each for the whole program's picture and the sections': alike when the
    // program is one section, and the whole program's the heavier when it is many (it
    // shrinks as it goes, they wait for the page), so the clock goes with the sections.
    if (settings.writeSheet) {
        worker_.addSink(pictures_.wholeHalf(), 0);
        worker_.addSink(pictures_.sectionsHalf(), 1);
    }
    if (!clock_.isClassic()) {
        worker_.addSink(clock_, settings.writeSheet ? 1 : 0);
    }
    if (worker_.hasSinks()) {
        emitter_.addSink(worker_);
    }
}

void RunStream::finish(const nc::IsoNcAnalyzer& analyzer, bool completed, std::int64_t lastLine,
                       const std::string& stopReason)
{
    finished_ = true;
    emitter_.finish(analyzer, lastLine);
    if (!completed && !stopReason.empty()) {
        checks_.stopped(lastLine, stopReason);
    }
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
    pictures_.drawWholeAhead();
    if (clock_.isClassic()) {
        return;
    }
    record_.machineTotal = clock_.totalMinutes();
    record_.machineUntimedHoles = clock_.untimedHoles();
    record_.machineUntimedReferences = clock_.untimedReferences();
    record_.machineEstimated = clock_.estimated();
    // Both lists are in the stream's order of sections: each section finds its own.
    const auto& minutes = clock_.sectionMinutes();
    auto next = minutes.begin();
    for (record::SectionRecord& section : record_.sections) {
        while (next != minutes.end() && next->first < section.sequence) {
            ++next;
        }
        if (next != minutes.end() && next->first == section.sequence) {
            section.machineTime = next->second;
        }
    }
}

}  // namespace run
