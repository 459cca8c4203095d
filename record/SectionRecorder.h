// Collects, from the motion stream, what the setup sheet and the JSON summary show: the
// program's name and comment, each tool section the stream ends with its tool,
// description, line range, classic figures, holes and what a setter looks for first.
#pragma once

#include "nc/Motion.h"
#include "record/ProgramRecord.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace record {

class SectionRecorder : public nc::MotionSink {
public:
    explicit SectionRecorder(ProgramRecord& record) : record_(record) {}
    SectionRecorder(const SectionRecorder&) = delete;
    SectionRecorder& operator=(const SectionRecorder&) = delete;

    void motion(const nc::Motion& motion) override;

private:
    void sectionEnded(const nc::Motion& end);

    ProgramRecord& record_;

    // The listing's tool headings, as the classic report numbers them: a new one at
    // every section end that brings another tool.
    int heading_ = 0;
    bool commentSeen_ = false;        // the program's comment is taken
    std::int64_t programNumberLine_ = 0;  // the last line that gave O

    // The open section.
    std::int64_t firstLine_ = 1;
    std::map<int, std::int64_t> holes_;
    std::string description_;
    bool awaitingComment_ = false;    // no comment on the tool change: the next comment line names it
    SectionRecord facts_;             // feed, spindle, offsets, stops, operations
    std::optional<std::pair<double, double>> movingSpindle_;  // S above 0 in force at any move
    int units_ = 0;                   // of its moves: 1 mm, 2 inch, 3 both
    bool moved_ = false;  // a move has come: the start point's units are known
    double speed_ = 0.0;              // S in force
    int workOffset_ = 54;             // G54 to G59 in force
    std::string lineComment_;         // of the line being read
    std::string pendingOperation_;    // the last comment line, until a move follows it
    std::int64_t pendingLine_ = 0;    // its line
    std::string changeOperation_;     // the comment line right before the tool change
};

}  // namespace record
