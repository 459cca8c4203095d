// The report entry of one NC line: what the block did, with its figures, as HTML in code
// page 932. The dispatcher picks the writer from the interpreter's state and the entry
// state; arcs and circles also get the tool radius over-cut check.
#pragma once

#include "nc/IsoNcAnalyzer.h"
#include "report/EntryState.h"
#include "report/EntryText.h"
#include "util/Number.h"

#include <array>
#include <string>
#include <string_view>

namespace report {

class BlockEntries {
public:
    // `offsetCheck`: whether compensated arcs are checked against the tool radius.
    BlockEntries(EntryState& state, RadiusCache& radiusCache, RadiusPrompt& prompt, bool offsetCheck);

    // The entry of the line just fed to the analyzer: zero or more lines separated by
    // "\n". May set the analyzer's dwell and stop words so they do not repeat, and may ask
    // for a tool radius (a typed text that is no number throws util::ConversionError).
    // The result stays valid until the next call.
    const std::string& blockEntry(nc::IsoNcAnalyzer& analyzer, std::string_view lineText);
    // The same entry, not yet rendered; its formats live as long as the process.
    const EntryText& entry(nc::IsoNcAnalyzer& analyzer, std::string_view lineText);

    // The writers; each appends its text to `out`.
    void rapidEntry(const nc::IsoNcAnalyzer& a, EntryText& out) const;
    void dwellEntry(EntryText& out) const;
    void stopEntry(EntryText& out) const;
    void optionalStopEntry(EntryText& out) const;
    void lineEntry(const nc::IsoNcAnalyzer& a, EntryText& out) const;
    void verticalEntry(const nc::IsoNcAnalyzer& a, EntryText& out) const;
    void slopeEntry(const nc::IsoNcAnalyzer& a, EntryText& out) const;
    void arcEntry(const nc::IsoNcAnalyzer& a, EntryText& out) const;
    void circleEntry(const nc::IsoNcAnalyzer& a, EntryText& out) const;
    void compStartEntry(const nc::IsoNcAnalyzer& a, EntryText& out);
    void compCancelEntry(EntryText& out);
    void cycleHoleEntry(const nc::IsoNcAnalyzer& a, EntryText& out);
    void holeCountEntry(EntryText& out);

    // The over-cut the last entry shows: the D number, its tool radius and the arc's
    // radius; none when the entry shows no over-cut line.
    struct Overcut {
        int dNumber = 0;
        double toolRadius = 0.0;
        double arcRadius = 0.0;
    };
    const Overcut* lastOvercut() const { return overcutShown_ ? &overcut_ : nullptr; }

    // The over-cut line for an arc or circle that the compensated tool cannot cut, else
    // nothing. Shows the radius prompt once for each new D number.
    void overcutCheck(const nc::IsoNcAnalyzer& a, EntryText& out);

private:
    void circularEntry(const util::PrintfFormat& format, const nc::IsoNcAnalyzer& a, EntryText& out) const;

    EntryState& state_;
    RadiusCache& radiusCache_;
    RadiusPrompt& prompt_;
    bool offsetCheck_;
    EntryText entry_;       // the last entry, reused from line to line
    std::string rendered_;  // and as text
    bool overcutShown_ = false;  // in entry_
    Overcut overcut_;            // what it shows, with overcutShown_

    // The labels in code page 932, made once for every entry writer of the process.
    struct Texts {
        Texts();
        util::PrintfFormat rapid, line, vertical, slope, arc, circle, compStart, holeCount, cycleLevels, hole;
        std::string dwell, stop, optionalStop, compCancel, cycleNameStart, cycleNameEnd, overcut, arcRadiusError;
        std::array<std::string, 17> cycleNames;
        std::string unknownCycle;
    };
    static const Texts& texts();
    const Texts& t_ = texts();
};

// HTML text of an NC line: & < > escaped, every other byte as it is.
void appendEscapedHtml(std::string& out, std::string_view text);

// The prompt text for a D number: "D01 = ?", "D12 = ?", "D123 = ?".
std::string radiusPromptText(int dNumber);

}  // namespace report
