#include "report/ClassicReport.h"

#include "util/File.h"
#include "util/Kazu.h"
#include "util/Number.h"
#include "util/UserError.h"

namespace report {

namespace {

using nc::WordSlot;

// The header template's link to the setup sheet, for a run that writes none: no page
// links to a file that is not there. The line that holds it goes whole.
void withoutSheetLink(std::string& header)
{
    const std::size_t link = header.find("href=\"sheet.html\"");
    if (link == std::string::npos) {
        return;
    }
    const std::size_t start = header.rfind('\n', link);
    const std::size_t lineStart = start == std::string::npos ? 0 : start + 1;
    const std::size_t end = header.find('\n', link);
    header.erase(lineStart, end == std::string::npos ? std::string::npos : end + 1 - lineStart);
}

// "&#x1F600;" for U+1F600.
void appendCharacterReference(std::string& out, char32_t codePoint)
{
    constexpr char kHex[] = "0123456789ABCDEF";
    out += "&#x";
    int shift = 28;
    while (shift > 0 && ((codePoint >> shift) & 0xF) == 0) {
        shift -= 4;
    }
    for (; shift >= 0; shift -= 4) {
        out += kHex[(codePoint >> shift) & 0xF];
    }
    out += ';';
}

// The line's text: each character code page 932 cannot hold as a numeric character
// reference where the interpreter saw "?".
void appendLineText(std::string& out, std::string_view line, const std::vector<util::UnmappedCharacter>& unmapped)
{
    std::size_t start = 0;
    for (const util::UnmappedCharacter& character : unmapped) {
        appendEscapedHtml(out, line.substr(start, character.position - start));
        appendCharacterReference(out, character.codePoint);
        start = character.position + 1;
    }
    appendEscapedHtml(out, line.substr(start));
}

}  // namespace

ClassicReport::ClassicReport(ClassicReportSetup setup, RunSummary& summary, EntryState& entryState,
                             RadiusCache& radiusCache, RadiusPrompt& prompt, ReportOutput& output,
                             util::MessageBoxService& messages)
    : setup_(std::move(setup)),
      summary_(summary),
      output_(output),
      messages_(messages),
      dataPath_(util::joinPath(setup_.resultDir, "data.html")),
      jumpPath_(util::joinPath(setup_.resultDir, "jump.html")),
      skeleton_(dataPath_),
      entries_(entryState, radiusCache, prompt, setup_.offsetCheck)
{
}

std::unique_ptr<OutputFile> ClassicReport::startFromHeader(const std::string& path)
{
    // Created or emptied, then the header template. Without the template the file still
    // starts empty, so no earlier run's content stays in front.
    std::optional<std::string> header = util::readWholeFile(setup_.headerTemplate, messages_);
    if (header && !setup_.linksSheet) {
        withoutSheetLink(*header);
    }
    std::unique_ptr<OutputFile> out = output_.create(path);
    if (!out) {
        messages_.showMessage(util::openErrorText(path), util::kOpenErrorCaption, util::MessageBoxService::Buttons::Ok);
        return nullptr;
    }
    if (header && !out->write(*header)) {
        throw util::WriteError(path);
    }
    return out;
}

bool ClassicReport::open()
{
    std::unique_ptr<OutputFile> jumpFile = startFromHeader(jumpPath_);
    if (!jumpFile) {
        return false;
    }
    jump_.emplace(std::move(jumpFile), jumpPath_);
    std::unique_ptr<OutputFile> dataFile = startFromHeader(dataPath_);
    if (!dataFile) {
        return false;
    }
    listing_.emplace(std::move(dataFile), dataPath_, skeleton_.lineBreak, true);
    row_.rowStart[0] = listing_->piece(skeleton_.rowStartFirst);
    row_.rowStart[1] = listing_->piece(skeleton_.rowStartSecond);
    row_.textCellEnd = listing_->piece(skeleton_.textCellEnd);
    row_.entryCellStart[0] = listing_->piece(skeleton_.entryCellStartFirst);
    row_.entryCellStart[1] = listing_->piece(skeleton_.entryCellStartSecond);
    row_.compensatedEntryCellStart = listing_->piece(skeleton_.compensatedEntryCellStart);
    row_.entryCellEnd = listing_->piece(skeleton_.entryCellEnd);
    listing_->write(skeleton_.tableStart);
    jump_->write(skeleton_.tableStart);
    return true;
}

void ClassicReport::line(std::string_view text, const std::vector<util::UnmappedCharacter>& unmapped,
                         nc::IsoNcAnalyzer& analyzer, bool toolChanged, bool sectionEnded)
{
    std::string& out = listing_->buffer();
    const int shade = shadeFirst_ ? 0 : 1;
    if (unmapped.empty()) {
        listing_->escaped(text, row_.rowStart[shade], row_.textCellEnd);
    } else {
        out += shadeFirst_ ? skeleton_.rowStartFirst : skeleton_.rowStartSecond;
        appendLineText(out, text, unmapped);
        out += skeleton_.textCellEnd;
    }

    // The tool change is consumed before the entry is made: the M06 line's entry has
    // always been the one of the injected block, and the classic pages keep it. The
    // sections themselves end where the stream says (the figures it sent are the ones
    // folded here: re-reading the injected block books nothing).
    const int newTool = util::truncToInt(analyzer.wordValue(WordSlot::T));
    if (toolChanged) {
        toolChangeSeen_ = true;
        analyzer.setLine(nc::kConsumedToolChangeBlock);
        analyzer.setWordValue(WordSlot::M, nc::kConsumedToolChange);
    }
    if (sectionEnded) {
        endSection(newTool, newTool != currentTool_, analyzer, out);
    }

    const EntryText& entry = entries_.entry(analyzer, text);
    shadeFirst_ = !shadeFirst_;
    listing_->entry(entry,
                    analyzer.isCutterCompActive() ? row_.compensatedEntryCellStart : row_.entryCellStart[shade],
                    row_.entryCellEnd);
    listing_->flushIfFull();
}

void ClassicReport::statementRow(std::string_view text, const std::vector<util::UnmappedCharacter>& unmapped,
                                 std::string_view what)
{
    std::string& out = listing_->buffer();
    out += shadeFirst_ ? skeleton_.rowStartFirst : skeleton_.rowStartSecond;
    appendLineText(out, text, unmapped);
    out += skeleton_.textCellEnd;
    out += shadeFirst_ ? skeleton_.entryCellStartFirst : skeleton_.entryCellStartSecond;
    shadeFirst_ = !shadeFirst_;
    appendEscapedHtml(out, util::messageToCp932(what));
    out += skeleton_.entryCellEnd;
    listing_->flushIfFull();
}

void ClassicReport::passRow(std::string_view label, int pass, int count)
{
    std::string& out = listing_->buffer();
    out += shadeFirst_ ? skeleton_.rowStartFirst : skeleton_.rowStartSecond;
    const std::string passes = util::formatInt(pass) + "/" + util::formatInt(count);
    appendEscapedHtml(out, std::string(label) + " " + passes);
    out += skeleton_.textCellEnd;
    out += shadeFirst_ ? skeleton_.entryCellStartFirst : skeleton_.entryCellStartSecond;
    shadeFirst_ = !shadeFirst_;
    static const std::string kCall = util::toCp932("サブプログラム呼出し ");
    static const std::string kRepeat = util::toCp932("繰返し ");
    static const std::string kTimes = util::toCp932(" 回目");
    out += label == "L" ? kRepeat : kCall;
    out += passes;
    out += kTimes;
    out += skeleton_.entryCellEnd;
    listing_->flushIfFull();
}

void ClassicReport::endSection(int newTool, bool toolChanged, nc::IsoNcAnalyzer& analyzer, std::string& out)
{
    foldSection(summary_, analyzer);
    out += skeleton_.sectionCellStart;
    if (toolChangeSeen_) {
        out += skeleton_.sectionRowBreak;
    }
    if (summary_.sectionCutLength != 0.0) {
        skeleton_.appendInfoBlockStart(out, sectionNumber_, currentTool_);
        appendExtentsAndTimeLines(out, summary_.section, LinesFor::InfoBlock);
        out += skeleton_.infoBlockEnd;
    }
    if (toolChanged) {
        ++sectionNumber_;
        currentTool_ = newTool;
        anchors_.push_back(anchorName(currentTool_, sectionNumber_));
        skeleton_.appendToolHeading(out, currentTool_, anchors_.back(), sectionNumber_);
    }
    out += skeleton_.sectionEnd;
    analyzer.resetExtents();
    analyzer.resetSums();
}

void ClassicReport::writeEnd(const nc::IsoNcAnalyzer& analyzer, bool foldOpenSection)
{
    if (foldOpenSection) {
        foldSection(summary_, analyzer);
    }
    std::string& out = listing_->buffer();
    out += skeleton_.finalReportStart;
    appendExtentsAndTimeLines(out, summary_.program, LinesFor::FinalReport);
    out += skeleton_.finalReportEnd;
    out += skeleton_.listingIndexCellStart;
    skeleton_.appendIndexLinks(out, anchors_);
    out += skeleton_.indexCellEnd;
    std::string& index = jump_->buffer();
    index += skeleton_.toolIndexCellStart;
    skeleton_.appendIndexLinks(index, anchors_);
    index += skeleton_.indexCellEnd;
    listing_->write(skeleton_.tableEnd);
    jump_->write(skeleton_.tableEnd);
    listing_->write(skeleton_.pageEnd);
    jump_->write(skeleton_.pageEnd);
}

void ClassicReport::close()
{
    jump_->close();
    listing_->close();
}

}  // namespace report
