// Collects, while a run reads its program, what the setup sheet and the JSON summary show:
// the program's name and comment, each folded tool section with its tool, description,
// line range, holes and over-cut lines, and the toolpath pictures.
#pragma once

#include "nc/IsoNcAnalyzer.h"
#include "machine/MachineClock.h"
#include "run/SheetWorker.h"
#include "run/ProgramRecord.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace run {

// The comment of a line: the text inside its first parentheses (to the end of the line
// when they are not closed), without blanks around it; empty when there is none.
std::string_view lineComment(std::string_view line);

class SheetRecorder {
public:
    // Without `drawPictures` only the record is kept (no sheet will be written).
    SheetRecorder(ProgramRecord& record, bool drawPictures, const machine::MachineProfile& machine);
    ~SheetRecorder();
    SheetRecorder(const SheetRecorder&) = delete;
    SheetRecorder& operator=(const SheetRecorder&) = delete;

    void start(double x, double y, double z);
    // After the line is interpreted, before its section may end. `tool` is the tool of
    // the open section.
    void line(std::int64_t number, std::string_view text, const nc::IsoNcAnalyzer& analyzer, int tool);
    // The line's entry carried the over-cut line.
    void overcut(std::int64_t number);
    // The report folded a section that ends at line `lastLine`; `heading` is the number
    // of the open section's tool heading (0 before any) and `anchor` its listing anchor.
    void sectionFolded(const report::RunSummary& summary, int heading, int tool, const std::string& anchor,
                       std::int64_t lastLine);
    void finish(const report::RunSummary& summary);

    // The pictures, once finish() has returned.
    ToolpathPicture& wholePicture() { return worker_.wholePicture(); }
    std::vector<ToolpathPicture>& sectionPictures() { return worker_.sectionPictures(); }
    // One label per colour: the tool and its description.
    const std::vector<std::string>& legend() const { return legend_; }

private:
    std::uint8_t colourOf(int tool);
    // Waits for the worker and takes its machine times into the record.
    void settleMachineTimes();

    ProgramRecord& record_;
    bool drawPictures_;
    machine::MachineClock clock_;
    SheetWorker worker_;
    bool settled_ = false;
    std::map<int, std::uint8_t> colours_;
    std::vector<std::string> legend_;

    // The open section.
    std::int64_t firstLine_ = 1;
    std::map<int, std::int64_t> holes_;
    std::vector<std::int64_t> overcuts_;
    std::string description_;
    bool awaitingComment_ = false;  // no comment on the tool change: the next comment line names it
    bool toolChangeLine_ = false;   // the line just read is an M06
    std::string nextDescription_;   // for the section the M06 opens
    std::string tComment_;          // the comment on the last line that gave T
    std::string previousLineComment_;  // of the line before, when it is a comment line
    bool commentSeen_ = false;
};

}  // namespace run
