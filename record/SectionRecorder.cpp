#include "record/SectionRecorder.h"

#include "nc/LineComment.h"
#include "report/ReportSkeleton.h"
#include "util/Kazu.h"
#include "util/Number.h"

#include <algorithm>

namespace record {

namespace {

void widen(std::optional<std::pair<double, double>>& range, double value)
{
    if (!range) {
        range = std::pair{value, value};
    } else {
        range->first = std::min(range->first, value);
        range->second = std::max(range->second, value);
    }
}

}  // namespace

void SectionRecorder::motion(const nc::Motion& m)
{
    switch (m.kind) {
    case nc::MotionKind::Hole:
        ++holes_[m.cycleCode];
        [[fallthrough]];
    case nc::MotionKind::Feed:
    case nc::MotionKind::Pecks:
    case nc::MotionKind::Arc:
        widen(facts_.feed, m.feed);
        widen(facts_.spindle, speed_);
        [[fallthrough]];
    case nc::MotionKind::Rapid: {
        if (speed_ > 0.0) {
            widen(movingSpindle_, speed_);
        }
        if (!moved_) {
            // The start point is read in the units of the first move.
            record_.startInch = m.inch;
            moved_ = true;
        }
        units_ |= m.inch ? 2 : 1;
        // The offset in force rarely changes: the last one noted is the common answer.
        if ((facts_.workOffsets.empty() || facts_.workOffsets.back() != workOffset_) &&
            std::find(facts_.workOffsets.begin(), facts_.workOffsets.end(), workOffset_) == facts_.workOffsets.end()) {
            facts_.workOffsets.push_back(workOffset_);
        }
        // The comment line right before the tool change, when the change names the tool
        // itself, names the first operation.
        if (!changeOperation_.empty()) {
            if (changeOperation_ != description_) {
                facts_.operations.push_back(changeOperation_);
            }
            changeOperation_.clear();
        }
        // A comment line before a block of moves names what they do.
        if (!pendingOperation_.empty()) {
            if (pendingOperation_ != description_ && (facts_.operations.empty() ||
                                                      facts_.operations.back() != pendingOperation_)) {
                facts_.operations.push_back(pendingOperation_);
            }
            pendingOperation_.clear();
        }
        return;
    }
    case nc::MotionKind::Spindle:
        speed_ = m.speed;
        return;
    case nc::MotionKind::Block:
        record_.lines = m.line;
        lineComment_.clear();
        return;
    case nc::MotionKind::ProgramNumber:
        programNumberLine_ = m.line;
        if (record_.name.empty()) {
            std::string name = "O";
            if (m.number >= 0) {
                util::appendUnsigned(name, static_cast<std::uint32_t>(m.number), 4, true);
            } else {
                name += util::formatInt(m.number);
            }
            record_.name = name;
        }
        return;
    case nc::MotionKind::WorkOffset:
        if (m.number >= 54 && m.number <= 59) {
            workOffset_ = m.number;
        }
        return;
    case nc::MotionKind::Comment:
        lineComment_.assign(m.text);
        // The program's comment: the first on a comment line or on the program number's line.
        if (!commentSeen_ && !m.text.empty() && (m.commentLine || programNumberLine_ == m.line)) {
            record_.comment.assign(m.text);
            commentSeen_ = true;
        }
        if (m.commentLine && !nc::isOperatorMessage(m.text)) {
            if (!m.text.empty()) {
                pendingOperation_.assign(m.text);
                pendingLine_ = m.line;
            }
            if (awaitingComment_) {
                description_.assign(m.text);
                awaitingComment_ = false;
            }
        }
        return;
    case nc::MotionKind::ToolChange:
        changeOperation_.clear();
        if (!pendingOperation_.empty() && pendingLine_ == m.line - 1 && pendingOperation_ != m.text) {
            changeOperation_ = pendingOperation_;
        }
        description_.assign(m.text);
        awaitingComment_ = description_.empty();
        return;
    case nc::MotionKind::SectionEnd:
        sectionEnded(m);
        return;
    case nc::MotionKind::ProgramStop:
    case nc::MotionKind::OptionalStop:
        facts_.stops.push_back({m.line, m.kind == nc::MotionKind::OptionalStop, lineComment_});
        return;
    default:
        return;
    }
}

void SectionRecorder::sectionEnded(const nc::Motion& end)
{
    const nc::SectionFigures& f = *end.figures;
    const report::Figures figures = report::figuresOf(f);
    // The program's figures fold every section, kept or not, as the final report does.
    report::foldFigures(record_.total, figures);
    if (end.keep) {
        SectionRecord section;
        section.index = static_cast<int>(record_.sections.size()) + 1;
        section.sequence = end.section;
        section.heading = heading_;
        section.tool = end.tool;
        section.description = description_;
        section.anchor = heading_ > 0 ? report::anchorName(end.tool, heading_) : std::string();
        section.firstLine = firstLine_;
        section.lastLine = end.line;
        section.figures = figures;
        section.cutLength = f.cutLength;
        // A classic clock's time is the classic time; a machine's comes from the worker.
        section.machineTime = figures.totalTime;
        section.holes = std::move(holes_);
        section.feed = facts_.feed;
        // A section that cuts nothing the stream follows (a tap by G33.1) still names the
        // S it set.
        section.spindle = facts_.spindle ? facts_.spindle : movingSpindle_;
        section.units = units_ == 1 ? "mm" : units_ == 2 ? "inch" : units_ == 3 ? "mixed" : "";
        section.workOffsets = std::move(facts_.workOffsets);
        section.stops = std::move(facts_.stops);
        section.operations = std::move(facts_.operations);
        record_.sections.push_back(std::move(section));
    }
    if (end.nextTool != end.tool) {
        ++heading_;
    }
    holes_.clear();
    facts_ = SectionRecord{};
    movingSpindle_.reset();
    units_ = 0;
    firstLine_ = end.line + 1;
    // The classic times, until a machine clock gives its own.
    record_.machineTotal = record_.total.totalTime;
}

}  // namespace record
