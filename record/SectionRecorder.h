// Collects, while a run reads its program, what the setup sheet and the JSON summary show:
// the program's name and comment, each folded tool section with its tool, description,
// line range, holes (from the motion stream) and over-cut lines.
#pragma once

#include "nc/IsoNcAnalyzer.h"
#include "nc/Motion.h"
#include "record/ProgramRecord.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace record {

// The comment of a line: the text inside its first parentheses (to the end of the line
// when they are not closed), without blanks around it; empty when there is none.
std::string_view lineComment(std::string_view line);

class SectionRecorder : public nc::MotionSink {
public:
    explicit SectionRecorder(ProgramRecord& record) : record_(record) {}
    SectionRecorder(const SectionRecorder&) = delete;
    SectionRecorder& operator=(const SectionRecorder&) = delete;

    // Holes, from the stream on the run's thread.
    void motion(const nc::Motion& motion) override;
    // After the line is interpreted, before its section may end.
    void line(std::int64_t number, std::string_view text, const nc::IsoNcAnalyzer& analyzer);
    // The report folded a section that ends at line `lastLine`; `heading` is the number
    // of the open section's tool heading (0 before any) and `anchor` its listing anchor.
    // True when the section is one of the sheet's (it took time or holds holes; an
    // over-cut is on an arc, which takes time).
    bool sectionFolded(const report::RunSummary& summary, int heading, int tool, const std::string& anchor,
                       std::int64_t lastLine);
    void finish(const report::RunSummary& summary);

private:
    ProgramRecord& record_;

    // The open section.
    std::int64_t firstLine_ = 1;
    std::map<int, std::int64_t> holes_;
    std::string description_;
    bool awaitingComment_ = false;  // no comment on the tool change: the next comment line names it
    bool toolChangeLine_ = false;   // the line just read is an M06
    std::string nextDescription_;   // for the section the M06 opens
    std::string tComment_;          // the comment on the last line that gave T
    std::string previousLineComment_;  // of the line before, when it is a comment line
    bool commentSeen_ = false;
    // From the stream, for the open section.
    SectionRecord facts_;              // feed, spindle, offsets, stops, operations
    int units_ = 0;                    // of its moves: 1 mm, 2 inch, 3 both
    double speed_ = 0.0;               // S in force
    int workOffset_ = 54;              // G54 to G59 in force
    std::string lineComment_;          // of the line just read (UTF-8)
    std::string pendingOperation_;     // the last comment line, until a move follows it
};

}  // namespace record
