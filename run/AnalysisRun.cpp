#include "run/AnalysisRun.h"

#include "nc/IsoNcAnalyzer.h"
#include "report/ClassicReport.h"
#include "run/MacroSteps.h"
#include "run/Messages.h"
#include "run/ProgramExecution.h"
#include "run/ProgramReader.h"
#include "run/RunStream.h"
#include "sheet/SheetPage.h"
#include "util/Cp932.h"
#include "util/File.h"
#include "util/Number.h"
#include "util/UserError.h"

#include <chrono>
#include <ctime>
#include <optional>
#include <vector>

namespace run {

namespace {

using util::MessageBoxService;

std::string startNumber(double value)
{
    // An X, Y or Z number without a point would be read in thousandths.
    std::string text = util::formatGeneral(value);
    if (text.find('.') == std::string::npos) {
        text += ".0";
    }
    return text;
}

// The message services of a run, noting every text shown for the run's record.
class RecordingMessages : public MessageBoxService {
public:
    RecordingMessages(MessageBoxService& inner, std::vector<std::string>& shown) : inner_(inner), shown_(shown) {}
    Result showMessage(const std::string& text, const std::string& caption, Buttons buttons) override
    {
        shown_.push_back(text);
        return inner_.showMessage(text, caption, buttons);
    }

private:
    MessageBoxService& inner_;
    std::vector<std::string>& shown_;
};

class RecordingErrors : public ErrorDisplay {
public:
    RecordingErrors(ErrorDisplay& inner, std::vector<std::string>& shown) : inner_(inner), shown_(shown) {}
    void showError(const std::string& message) override
    {
        shown_.push_back(message);
        inner_.showError(message);
    }

private:
    ErrorDisplay& inner_;
    std::vector<std::string>& shown_;
};

std::string localDateTime()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

// One run's reading: the NC file line by line through the interpreter into the motion
// stream and the classic report, then the sheet. Owns the open files, so leaving early by
// an exception closes them with what was written so far.
class ReportRun {
public:
    ReportRun(const RunSettings& settings, AppState& state, const Services& services, report::ReportOutput& output,
              const std::string& resultDir, record::ProgramRecord& record)
        : settings_(settings),
          services_(services),
          output_(output),
          sheetPath_(util::joinPath(resultDir, "sheet.html")),
          classic_({resultDir, headerTemplatePath(state), settings.writeSheet, settings.offsetCheck}, state.summary,
                   state.entryState, state.radiusCache, services.radius, output, services.messages),
          record_(record),
          stream_(settings, record, services.motions)
    {
    }

    // A run that ended early keeps the pictures, figures and machine times of what it
    // read: the section it was in counts, so the totals are the sums of the sections.
    ~ReportRun()
    {
        if (!stream_.finished()) {
            try {
                recordWhatWasRead();
            } catch (...) {
            }
        }
    }
    ReportRun(const ReportRun&) = delete;
    ReportRun& operator=(const ReportRun&) = delete;

    // The rest of the start (from the start point on), the line loop and the closing.
    // False when the run ended early with its message shown.
    bool execute()
    {
        // 1. The start point; a text that is not a number ends the run here.
        const double x = util::parseDouble(settings_.startX);
        const double y = util::parseDouble(settings_.startY);
        const double z = util::parseDouble(settings_.startZ);
        record_.startKnown = true;
        record_.startX = x;
        record_.startY = y;
        record_.startZ = z;
        stream_.start(x, y, z);

        // 2. The start block puts the tool at the start point; a machine set up for it
        // reads numbers without a point as whole units.
        analyzer_.setWholeUnits(settings_.machine.wholeUnits);
        analyzer_.setAnyCase(settings_.machine.anyCaseLetters);
        analyzer_.setControl(settings_.machine.control);
        analyzer_.setLine(startBlock(x, y, z));

        // 3. The NC file.
        util::FileHandle nc = util::openTextRead(settings_.ncFile, services_.messages);
        if (!nc) {
            return false;
        }
        execution_.emplace(std::make_unique<ProgramReader>(std::move(nc), settings_.ncFile, &services_.progress),
                           settings_.machine.programFolders, settings_.machine.maxBlocks,
                           settings_.machine.control);
        macros_.emplace(settings_.machine, stream_, [this](int number) { return modalValue(number); });

        // 4. Both pages begin with the header template; the first section starts empty.
        if (!classic_.open()) {
            return false;
        }
        analyzer_.resetExtents();
        analyzer_.resetSums();

        try {
            runBlocks();
            finish();
        } catch (const util::UserError& error) {
            // The report links to the sheet: a run that ends early leaves one that says
            // so, with the figures of what was read.
            if (!stream_.finished()) {
                endEarly(error.what());
            }
            throw;
        }
        return true;
    }

    bool sheetWritten() const { return sheetWritten_; }
    const std::string& sheetPath() const { return sheetPath_; }

private:
    // The blocks in the order the control runs them: each executed block is a row of the
    // listing and a line of the stream, numbered in that order.
    void runBlocks()
    {
        std::string line;
        while (execution_->next(line)) {
            flowEvents();
            if (execution_->macroDepth() < macros_->depth()) {
                macros_->sync(execution_->macroDepth());  // a call returned at its program's end
            }
            // A macro statement is a row of its own; a block's expressions become numbers
            // before the interpreter reads it.
            const std::string* read = &line;
            if (nc::hasMacroSyntax(line)) {
                // A WHILE that does not hold reads on to its END: the row keeps the
                // characters of its own line.
                unmapped_ = execution_->unmapped();
                const MacroSteps::Step step = macros_->read(line, lineNumber_ + 1, *execution_, analyzer_.isInchMode());
                if (step.kind == MacroSteps::Step::Kind::Statement || step.kind == MacroSteps::Step::Kind::Stop) {
                    ++lineNumber_;
                    classic_.statementRow(line, unmapped_, step.entry);
                    continue;
                }
                if (step.kind == MacroSteps::Step::Kind::Block) {
                    resolved_ = step.text;
                    read = &resolved_;
                }
            }
            processLine(line, *read);
            // A cycle block's repeat count drills its hole again, pass by pass.
            const int repeats = analyzer_.holeRepeats();
            for (int pass = 2; pass <= repeats && execution_->repeatBlock(); ++pass) {
                classic_.passRow("L", pass, repeats);
                stream_.call(nc::CallEvent::Pass, "L", pass, repeats);
                analyzer_.setRepeatPass(true);
                processLine(line, *read, true);
                analyzer_.setRepeatPass(false);
            }
            const std::size_t macroCalls = execution_->macroDepth();
            execution_->after(flow_, stream_.programEnded());
            if (execution_->macroDepth() > macroCalls) {
                macros_->called(analyzer_);
            } else if (execution_->macroDepth() < macros_->depth()) {
                macros_->sync(execution_->macroDepth());
            }
            flowEvents();
        }
        flowEvents();
    }

    // The interpreter's modal values and block end position, as system variables.
    nc::MacroValue modalValue(int number) const
    {
        using nc::WordSlot;
        const auto word = [this](WordSlot slot) -> nc::MacroValue {
            const double v = analyzer_.wordValue(slot);
            return v == nc::kUnknownPosition ? std::nullopt : nc::MacroValue(v);
        };
        switch (number) {
        case 4001: return word(WordSlot::GMotion);
        case 4002: return word(WordSlot::GPlane);
        case 4003: return word(WordSlot::GDistance);
        case 4005: return 94.0;
        case 4006: return analyzer_.isInchMode() ? 20.0 : 21.0;
        case 4007: return word(WordSlot::GCutterComp);
        case 4008: return word(WordSlot::GLengthComp);
        case 4009: return word(WordSlot::GCycle);
        case 4010: return word(WordSlot::GReturn);
        case 4014: return word(WordSlot::GWork);
        case 4107: return word(WordSlot::D);
        case 4109: return word(WordSlot::F);
        case 4111: return word(WordSlot::H);
        case 4113: return word(WordSlot::M);
        case 4114: return word(WordSlot::N);
        case 4115: return word(WordSlot::O);
        case 4119: return word(WordSlot::S);
        case 4120: return word(WordSlot::T);
        case 5001: return word(WordSlot::X);
        case 5002: return word(WordSlot::Y);
        case 5003: return word(WordSlot::Z);
        case 5004: case 5044: return word(WordSlot::A);
        case 5005: case 5045: return word(WordSlot::B);
        case 5006: case 5046: return word(WordSlot::C);
        default: return std::nullopt;
        }
    }

    void flowEvents()
    {
        if (!execution_->hasEvents()) {
            return;
        }
        for (const FlowEvent& event : execution_->takeEvents()) {
            if (event.kind == FlowEvent::Kind::Pass) {
                classic_.passRow(event.label, event.pass, event.count);
            }
            stream_.call(event.kind, event.label, event.pass, event.count);
        }
    }

    // `line` as written, `read` as the interpreter reads it (its expressions' values);
    // `again`: a repeat count runs the block once more.
    void processLine(const std::string& line, const std::string& read, bool again = false)
    {
        // The stream decides where sections end, so it reads the line before the classic
        // report writes its row; an over-cut the row shows is a finding too.
        ++lineNumber_;
        analyzer_.setLine(read);
        flow_ = nc::flowOf(analyzer_);
        stream_.source(execution_->program(), execution_->fileLine(), again || execution_->again());
        stream_.line(lineNumber_, analyzer_);
        classic_.line(line, execution_->unmapped(), analyzer_, stream_.toolChanged(), stream_.sectionEnded());
        if (const report::BlockEntries::Overcut* overcut = classic_.lastOvercut()) {
            stream_.overcut(lineNumber_, overcut->dNumber, overcut->toolRadius, overcut->arcRadius);
        }
    }

    void recordWhatWasRead() { stream_.finish(analyzer_, false, lineNumber_); }

    // The sheet of a run that ended early, when the run writes one: what was read, and why
    // it ended. A sheet that cannot be written is no further error.
    void endEarly(const std::string& why)
    {
        stream_.finish(analyzer_, false, lineNumber_, why);
        if (!settings_.writeSheet) {
            return;
        }
        try {
            const std::unique_ptr<report::OutputFile> sheet = output_.create(sheetPath_);
            if (sheet) {
                const std::string text =
                    sheet::sheetPage(record_, stream_.pictures(),
                                     "解析は NC行 " + util::formatInt(lineNumber_) + " で途中終了しました: " +
                                         util::withClosingPeriod(why));
                if (sheet->write(text)) {
                    sheet->close();
                }
            }
        } catch (...) {
        }
    }

    void finish()
    {
        // 1. The open section counts unless the program end has ended every section.
        classic_.writeEnd(analyzer_, !stream_.programEnded());
        stream_.finish(analyzer_, true, lineNumber_);

        // 2. Close; a write that fails here still ends the run as failed.
        execution_->close();
        classic_.close();

        // 3. The setup sheet, once the report is complete.
        if (settings_.writeSheet) {
            const std::unique_ptr<report::OutputFile> sheet = output_.create(sheetPath_);
            if (!sheet || !sheet->write(sheet::sheetPage(record_, stream_.pictures())) || !sheet->close()) {
                throw util::WriteError(sheetPath_);
            }
            sheetWritten_ = true;
        }
    }

    const RunSettings& settings_;
    const Services& services_;
    report::ReportOutput& output_;
    std::string sheetPath_;
    report::ClassicReport classic_;
    nc::IsoNcAnalyzer analyzer_;
    record::ProgramRecord& record_;
    RunStream stream_;
    std::int64_t lineNumber_ = 0;       // blocks run, from 1: the NC lines while the file's order holds
    bool sheetWritten_ = false;
    std::optional<ProgramExecution> execution_;
    std::optional<MacroSteps> macros_;
    std::string resolved_;              // a block with its expressions' values
    std::vector<util::UnmappedCharacter> unmapped_;  // those of a macro statement's line
    nc::FlowCommand flow_;              // what the last block does to the flow
};

}  // namespace

std::string startBlock(double x, double y, double z)
{
    return "G92X" + startNumber(x) + "Y" + startNumber(y) + "Z" + startNumber(z);
}

std::string headerTemplatePath(const AppState& state)
{
    return util::joinPath(state.programDir, "hedder.txt");
}

std::string indexTemplatePath(const AppState& state)
{
    return util::joinPath(state.programDir, "index.html");
}

namespace {

// A template copied into the report as it is. A missing template leaves the target as it
// was; one that cannot be read shows "No Open <source>", a write that fails "No Write
// <target>".
void copyTemplate(const std::string& source, const std::string& target, report::ReportOutput& output,
                  MessageBoxService& messages)
{
    const std::optional<std::string> bytes = util::readWholeFile(source, messages);
    if (!bytes) {
        return;
    }
    const std::unique_ptr<report::OutputFile> out = output.create(target);
    if (!out) {
        messages.showMessage(util::openErrorText(target), util::kOpenErrorCaption, MessageBoxService::Buttons::Ok);
        return;
    }
    if (!out->write(*bytes) || !out->close()) {
        messages.showMessage(util::writeErrorText(target), util::kWriteErrorCaption, MessageBoxService::Buttons::Ok);
    }
}

// The run itself; AnalysisRun wraps it to keep the record.
RunResult runAnalysis(const RunSettings& settings, AppState& state, const Services& services, report::ReportOutput& output,
                      record::ProgramRecord& record)
{
    // 1. Nothing of an earlier run's summary or entries carries over.
    report::resetForRun(state.summary);
    report::resetEntryState(state.entryState);

    // 2. Where the report goes.
    const std::string resultDir = util::joinPath(settings.workingDir, settings.resultDirName);
    RunResult result;
    result.indexPage = util::joinPath(resultDir, "index.html");

    // 3. The checks.
    MessageBoxService& messages = services.messages;
    if (!util::isFile(settings.ncFile)) {
        messages.showMessage(messages::kNcFileMissing, messages::kNcFileMissingCaption, MessageBoxService::Buttons::Ok);
        return result;
    }
    if (!output.isFolder(settings.workingDir)) {
        messages.showMessage(messages::kWorkingDirMissing, messages::kDirectoryCaption, MessageBoxService::Buttons::Ok);
        return result;
    }
    if (output.isFolder(resultDir)) {
        const std::string question =
            std::string(messages::kResultDirExistsBefore) + resultDir + messages::kResultDirExistsAfter;
        if (messages.showMessage(question, messages::kDirectoryCaption, MessageBoxService::Buttons::OkCancel) ==
            MessageBoxService::Result::Cancel) {
            result.outcome = RunOutcome::Cancelled;
            return result;
        }
    } else if (!output.createFolder(resultDir)) {
        messages.showMessage(util::kCreateFolderText, util::kCreateFolderCaption, MessageBoxService::Buttons::Ok);
    }

    // 4. The index page; without its template the run goes on. A sheet of an earlier run
    // goes now, so none is left beside a report it does not describe.
    copyTemplate(indexTemplatePath(state), result.indexPage, output, messages);
    output.remove(util::joinPath(resultDir, "sheet.html"));

    try {
        ReportRun run(settings, state, services, output, resultDir, record);
        if (!run.execute()) {
            return result;
        }
        if (run.sheetWritten()) {
            result.sheet = run.sheetPath();
        }
    } catch (const util::FileError& error) {
        // Before UserError: a file that fails is a message box with its own caption.
        messages.showMessage(error.what(), error.caption(), MessageBoxService::Buttons::Ok);
        return result;
    } catch (const util::UserError& error) {
        services.errors.showError(util::withClosingPeriod(error.what()));
        return result;
    }

    // 5. Hand the index page to the desktop.
    result.outcome = RunOutcome::Completed;
    result.opened = services.shell.openDocument(result.indexPage);
    return result;
}

}  // namespace

RunResult AnalysisRun(const RunSettings& settings, AppState& state, const Services& services)
{
    report::DiskOutput disk;
    return AnalysisRun(settings, state, services, disk);
}

RunResult AnalysisRun(const RunSettings& settings, AppState& state, const Services& outer, report::ReportOutput& output)
{
    auto record = std::make_shared<record::ProgramRecord>();
    record->file = settings.ncFile;
    record->offsetCheck = settings.offsetCheck;
    record->analysedAt = localDateTime();
    RecordingMessages recordedMessages(outer.messages, record->messages);
    RecordingErrors recordedErrors(outer.errors, record->messages);
    const Services services{recordedMessages, recordedErrors, outer.shell, outer.radius, outer.progress, outer.motions};
    RunResult result = runAnalysis(settings, state, services, output, *record);
    record->outcome = result.outcome == RunOutcome::Completed   ? record::RecordOutcome::Completed
                      : result.outcome == RunOutcome::Cancelled ? record::RecordOutcome::Cancelled
                                                                : record::RecordOutcome::Failed;
    result.record = std::move(record);
    return result;
}

}  // namespace run
