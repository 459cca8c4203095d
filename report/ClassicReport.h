// The classic three pages of one run as its lines come: each NC line beside its entry in
// the listing, a tool heading and INFO block where a tool section ends, and the final
// report and the tool index at the end. The run reads the file and says where sections
// end (the motion stream decides); this writes what the classic report has always written.
#pragma once

#include "nc/IsoNcAnalyzer.h"
#include "report/BlockEntries.h"
#include "report/EntryState.h"
#include "report/ReportOutput.h"
#include "report/ReportSkeleton.h"
#include "report/ReportWriter.h"
#include "report/RunSummary.h"
#include "util/Cp932.h"
#include "util/MessageBoxService.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace report {

// What a run lends its classic report: the state kept from run to run, the radius
// prompt, and where and how the pages are written.
struct ClassicReportSetup {
    std::string resultDir;       // the pages go into it
    std::string headerTemplate;  // hedder.txt: both pages start with it
    bool linksSheet = true;      // the header's link to the setup sheet stays
    bool offsetCheck = false;    // compensated arcs are checked against the tool radius
};

class ClassicReport {
public:
    ClassicReport(ClassicReportSetup setup, RunSummary& summary, EntryState& entryState, RadiusCache& radiusCache,
                  RadiusPrompt& prompt, ReportOutput& output, util::MessageBoxService& messages);
    ClassicReport(const ClassicReport&) = delete;
    ClassicReport& operator=(const ClassicReport&) = delete;

    // Both pages begin with the header template and the table start. False when one
    // cannot be made; its message has been shown.
    bool open();
    // One NC line, after the interpreter and the stream have read it: `unmapped` are the
    // characters code page 932 could not hold; `toolChanged` and `sectionEnded` as the
    // stream decided for this line. May consume the analyzer's one-shot codes.
    void line(std::string_view text, const std::vector<util::UnmappedCharacter>& unmapped,
              nc::IsoNcAnalyzer& analyzer, bool toolChanged, bool sectionEnded);
    // A row before the blocks of one pass of a call or a repeat: `label` names the
    // program ("O1000") or the repeated block ("L"), pass `pass` of `count`.
    void passRow(std::string_view label, int pass, int count);
    // The row of a macro statement (an assignment, IF, GOTO, WHILE, END): its text and
    // what it did (`what`, UTF-8).
    void statementRow(std::string_view text, const std::vector<util::UnmappedCharacter>& unmapped,
                      std::string_view what);
    // The over-cut the last line's entry shows; none when it shows none.
    const BlockEntries::Overcut* lastOvercut() const { return entries_.lastOvercut(); }
    // The final report and the tool index; `foldOpenSection` unless the program end has
    // folded every section already.
    void writeEnd(const nc::IsoNcAnalyzer& analyzer, bool foldOpenSection);
    // Closes both pages; a write that fails here throws util::WriteError.
    void close();

private:
    std::unique_ptr<OutputFile> startFromHeader(const std::string& path);
    void endSection(int newTool, bool toolChanged, nc::IsoNcAnalyzer& analyzer, std::string& out);

    ClassicReportSetup setup_;
    RunSummary& summary_;
    ReportOutput& output_;
    util::MessageBoxService& messages_;
    std::string dataPath_;
    std::string jumpPath_;
    ReportSkeleton skeleton_;
    BlockEntries entries_;
    std::optional<ReportWriter> jump_;
    std::optional<ReportWriter> listing_;
    // The listing row's cells as the writer's pieces: a row is its two inserts.
    struct RowPieces {
        ReportWriter::Piece rowStart[2] = {}, textCellEnd = 0;
        ReportWriter::Piece entryCellStart[2] = {}, compensatedEntryCellStart = 0, entryCellEnd = 0;
    } row_;

    int currentTool_ = 0;
    int sectionNumber_ = 0;             // tool headings written so far
    std::vector<std::string> anchors_;  // anchor names of the tool headings, in order
    bool shadeFirst_ = true;
    bool toolChangeSeen_ = false;       // an M06 line was seen
};

}  // namespace report
