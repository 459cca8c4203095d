#include "record/SectionRecorder.h"

#include "util/Cp932.h"
#include "util/Kazu.h"
#include "util/Number.h"

#include <algorithm>

namespace record {

using nc::WordSlot;

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A line that is a comment and nothing else.
bool isCommentLine(std::string_view line)
{
    line = trimmed(line);
    return !line.empty() && line.front() == '(';
}

// A section that took no time (the lines after the program end, an arc code that moved
// nothing) is no tool section of the sheet, whatever extents its blocks touched.
bool sectionHoldsAnything(const report::RunSummary& summary)
{
    return summary.sectionCutLength != 0.0 || summary.section.totalTime != 0.0;
}

}  // namespace

std::string_view lineComment(std::string_view line)
{
    const std::size_t open = line.find('(');
    if (open == std::string_view::npos) {
        return {};
    }
    std::string_view inside = line.substr(open + 1);
    const std::size_t close = inside.find(')');
    if (close != std::string_view::npos) {
        inside = inside.substr(0, close);
    }
    return trimmed(inside);
}

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
    case nc::MotionKind::Arc:
        widen(facts_.feed, m.feed);
        widen(facts_.spindle, speed_);
        [[fallthrough]];
    case nc::MotionKind::Rapid: {
        units_ |= m.inch ? 2 : 1;
        // The offset in force rarely changes: the last one noted is the common answer.
        if ((facts_.workOffsets.empty() || facts_.workOffsets.back() != workOffset_) &&
            std::find(facts_.workOffsets.begin(), facts_.workOffsets.end(), workOffset_) == facts_.workOffsets.end()) {
            facts_.workOffsets.push_back(workOffset_);
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
    case nc::MotionKind::ProgramStop:
    case nc::MotionKind::OptionalStop:
        facts_.stops.push_back({m.line, m.kind == nc::MotionKind::OptionalStop, lineComment_});
        return;
    default:
        return;
    }
}

void SectionRecorder::line(std::int64_t number, std::string_view text, const nc::IsoNcAnalyzer& a)
{
    record_.lines = number;
    if (a.isWordGiven(WordSlot::GWork)) {
        const int work = util::truncToInt(a.wordValue(WordSlot::GWork));
        if (work >= 54 && work <= 59) {
            workOffset_ = work;
        }
    }
    // Most lines hold no comment: they cost one search.
    const bool parenthesis = text.find('(') != std::string_view::npos;
    const std::string_view comment = parenthesis ? lineComment(text) : std::string_view();
    const bool commentLine = parenthesis && isCommentLine(text);
    if (record_.name.empty() && a.isWordGiven(WordSlot::O)) {
        std::string name = "O";
        const int value = util::truncToInt(a.wordValue(WordSlot::O));
        if (value >= 0) {
            util::appendUnsigned(name, static_cast<std::uint32_t>(value), 4, true);
        } else {
            name += util::formatInt(value);
        }
        record_.name = name;
    }
    // The program's comment: the first on a comment line or on the program number's line.
    if (!commentSeen_ && !comment.empty() && (commentLine || a.isWordGiven(WordSlot::O))) {
        record_.comment = util::cp932ToUtf8(comment);
        commentSeen_ = true;
    }

    // The tool's description: the comment on the T line, or on the comment line right
    // before it (as most programs name the tool), or on the M06 line; else the first
    // comment line after the change.
    if (a.isWordGiven(WordSlot::T)) {
        tComment_ = util::cp932ToUtf8(!comment.empty() ? comment : std::string_view(previousLineComment_));
    }
    if (commentLine) {
        previousLineComment_.assign(comment);
    } else if (!previousLineComment_.empty()) {
        previousLineComment_.clear();
    }
    lineComment_.clear();
    if (!comment.empty()) {
        lineComment_ = util::cp932ToUtf8(comment);
        if (commentLine) {
            pendingOperation_ = lineComment_;
        }
    }
    toolChangeLine_ = a.wordValue(WordSlot::M) == 6.0;
    if (toolChangeLine_) {
        nextDescription_ = !tComment_.empty() ? tComment_ : util::cp932ToUtf8(comment);
        tComment_.clear();
    } else if (awaitingComment_ && commentLine) {
        description_ = util::cp932ToUtf8(comment);
        awaitingComment_ = false;
    }
}

bool SectionRecorder::sectionFolded(const report::RunSummary& summary, int heading, int tool, const std::string& anchor,
                                  std::int64_t lastLine)
{
    bool kept = false;
    if (sectionHoldsAnything(summary) || !holes_.empty()) {
        SectionRecord section;
        section.index = static_cast<int>(record_.sections.size()) + 1;
        section.heading = heading;
        section.tool = tool;
        section.description = description_;
        section.anchor = anchor;
        section.firstLine = firstLine_;
        section.lastLine = lastLine;
        section.figures = summary.section;
        section.cutLength = summary.sectionCutLength;
        // A classic clock's time is the classic time; a machine's comes from the worker.
        section.machineTime = summary.section.totalTime;
        section.holes = std::move(holes_);
        section.feed = facts_.feed;
        section.spindle = facts_.spindle;
        section.units = units_ == 1 ? "mm" : units_ == 2 ? "inch" : units_ == 3 ? "mixed" : "";
        section.workOffsets = std::move(facts_.workOffsets);
        section.stops = std::move(facts_.stops);
        section.operations = std::move(facts_.operations);
        record_.sections.push_back(std::move(section));
        kept = true;
    }
    holes_.clear();
    facts_ = SectionRecord{};
    units_ = 0;
    firstLine_ = lastLine + 1;
    if (toolChangeLine_) {
        description_ = nextDescription_;
        awaitingComment_ = description_.empty();
        toolChangeLine_ = false;
    }
    return kept;
}

void SectionRecorder::finish(const report::RunSummary& summary)
{
    record_.total = summary.program;
    // The classic times, until a machine clock gives its own.
    record_.machineTotal = summary.program.totalTime;
}

}  // namespace record
