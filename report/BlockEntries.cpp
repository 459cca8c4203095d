#include "report/BlockEntries.h"

#include "report/CycleNames.h"
#include "report/Labels.h"
#include "util/Cp932.h"
#include "util/Kazu.h"
#include "util/Number.h"

#include <cstring>

namespace report {

using nc::WordSlot;

namespace {

// printf's %u of a 32-bit integer: a negative value wraps as it would there.
std::uint32_t asUnsigned(double value)
{
    return static_cast<std::uint32_t>(util::truncToInt(value));
}

}  // namespace

void resetEntryState(EntryState& state)
{
    state = EntryState{};
}

void appendEscapedHtml(std::string& out, std::string_view text)
{
    // '&', '<' and '>' lie below every code page 932 trail byte, so a byte-wise scan is safe.
    // Most lines hold none of them: three vectorised searches settle that quickly.
    if (text.empty()) {
        return;
    }
    if (!std::memchr(text.data(), '&', text.size()) && !std::memchr(text.data(), '<', text.size()) &&
        !std::memchr(text.data(), '>', text.size())) {
        out.append(text);
        return;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char* replacement = nullptr;
        switch (text[i]) {
        case '&': replacement = "&amp;"; break;
        case '<': replacement = "&lt;"; break;
        case '>': replacement = "&gt;"; break;
        default: continue;
        }
        out.append(text.substr(start, i - start));
        out += replacement;
        start = i + 1;
    }
    out.append(text.substr(start));
}

std::string radiusPromptText(int dNumber)
{
    std::string text = "D";
    if (dNumber < 0) {
        text += '-';
    }
    const auto magnitude = static_cast<std::uint32_t>(dNumber < 0 ? -static_cast<long long>(dNumber) : dNumber);
    util::appendUnsigned(text, magnitude, 2, true);
    text += " = ?";
    return text;
}

BlockEntries::BlockEntries(EntryState& state, RadiusCache& radiusCache, RadiusPrompt& prompt, bool offsetCheck)
    : state_(state), radiusCache_(radiusCache), prompt_(prompt), offsetCheck_(offsetCheck)
{
}

BlockEntries::Texts::Texts()
    : rapid(util::toCp932(labels::kRapid)),
      line(util::toCp932(labels::kLine)),
      vertical(util::toCp932(labels::kVertical)),
      slope(util::toCp932(labels::kSlope)),
      arc(util::toCp932(labels::kArc)),
      circle(util::toCp932(labels::kCircle)),
      compStart(util::toCp932(labels::kCompStart)),
      holeCount(util::toCp932(labels::kHoleCount)),
      cycleLevels(util::toCp932(labels::kCycleLevels)),
      hole(util::toCp932(labels::kHole)),
      dwell(util::toCp932(labels::kDwell)),
      stop(util::toCp932(labels::kStop)),
      optionalStop(util::toCp932(labels::kOptionalStop)),
      compCancel(util::toCp932(labels::kCompCancel)),
      cycleNameStart(util::toCp932(labels::kCycleNameStart)),
      cycleNameEnd(util::toCp932(labels::kCycleNameEnd)),
      overcut(util::toCp932(labels::kOvercut)),
      arcRadiusError(util::toCp932(labels::kArcRadiusError)),
      unknownCycle(util::toCp932(cycleName(0)))
{
    for (int code = kFirstCycleCode; code <= kLastCycleCode; ++code) {
        cycleNames[static_cast<std::size_t>(code - kFirstCycleCode)] = util::toCp932(cycleName(code));
    }
}

const BlockEntries::Texts& BlockEntries::texts()
{
    static const Texts texts;
    return texts;
}

const std::string& BlockEntries::blockEntry(nc::IsoNcAnalyzer& a, std::string_view lineText)
{
    rendered_.clear();
    entry(a, lineText).render(rendered_);
    return rendered_;
}

const EntryText& BlockEntries::entry(nc::IsoNcAnalyzer& a, std::string_view lineText)
{
    entry_.clear();
    overcutShown_ = false;

    // 1. One-shot codes, noted before any writer runs.
    const bool dwell = a.wordValue(WordSlot::GNonModal) == 4.0;
    const bool stop = a.wordValue(WordSlot::M) == 0.0;
    const bool optionalStop = a.wordValue(WordSlot::M) == 1.0;

    // 2. The first row that applies writes the entry. A line that changes neither X
    // nor Y under an arc code is a full circle only when it gives a centre offset: an M08
    // or a comment after an arc moved nothing.
    const bool offsetGiven =
        a.isWordGiven(WordSlot::I) || a.isWordGiven(WordSlot::J) || a.isWordGiven(WordSlot::K);
    if (state_.compMarkerShown && !a.isCutterCompActive()) {
        compCancelEntry(entry_);
    } else if (a.isCutterCompActive() && !state_.compMarkerShown) {
        compStartEntry(a, entry_);
        if (a.isLinearMotion()) {
            lineEntry(a, entry_);
        }
    } else if (a.isVerticalMove()) {
        verticalEntry(a, entry_);
    } else if (a.isSlopeMove()) {
        slopeEntry(a, entry_);
    } else if (a.isLinearMotion()) {
        lineEntry(a, entry_);
    } else if (a.isArcMove()) {
        arcEntry(a, entry_);
        overcutCheck(a, entry_);
    } else if (a.isFullCircleMove() && offsetGiven) {
        circleEntry(a, entry_);
        overcutCheck(a, entry_);
    } else if (a.isCycleActive()) {
        cycleHoleEntry(a, entry_);
    } else if (state_.cycleHeadingShown) {
        holeCountEntry(entry_);
    } else if (a.isRapidMotion()) {
        rapidEntry(a, entry_);
    } else if (a.motionCode() != 2 && a.motionCode() != 3 && a.motionCode() != 33) {
        // No row knows this motion code: the line speaks for itself. (An arc code line
        // that moved nothing, above, gets the empty entry.)
        std::string escaped;
        appendEscapedHtml(escaped, lineText);
        entry_ += escaped;
    }

    // 3. A dwell, stop or optional stop replaces the entry; its code is consumed so the
    // following lines do not repeat it.
    if (dwell) {
        entry_.clear();
        dwellEntry(entry_);
        a.setWordValue(WordSlot::GNonModal, nc::kConsumedDwell);
    }
    if (stop) {
        entry_.clear();
        stopEntry(entry_);
        a.setWordValue(WordSlot::M, nc::kConsumedStop);
    }
    if (optionalStop) {
        entry_.clear();
        optionalStopEntry(entry_);
        a.setWordValue(WordSlot::M, nc::kConsumedStop);
    }

    // 4. An R that cannot reach the arc's end point is flagged whatever the entry shows.
    if (a.isArcRadiusError()) {
        entry_ += t_.arcRadiusError;
    }
    return entry_;
}

void BlockEntries::rapidEntry(const nc::IsoNcAnalyzer& a, EntryText& out) const
{
    if (a.moveLength() == 0.0) {
        return;
    }
    out.format(t_.rapid, {a.wordValue(WordSlot::X), a.wordValue(WordSlot::Y), a.previousWordValue(WordSlot::Z),
                        a.wordValue(WordSlot::Z), a.moveLength()});
}

void BlockEntries::dwellEntry(EntryText& out) const
{
    out += t_.dwell;
}

void BlockEntries::stopEntry(EntryText& out) const
{
    out += t_.stop;
}

void BlockEntries::optionalStopEntry(EntryText& out) const
{
    out += t_.optionalStop;
}

void BlockEntries::lineEntry(const nc::IsoNcAnalyzer& a, EntryText& out) const
{
    out.format(t_.line, {a.wordValue(WordSlot::X), a.wordValue(WordSlot::Y), a.wordValue(WordSlot::Z),
                        a.directionAngle(false), a.moveLength(), a.feedRate()});
}

void BlockEntries::verticalEntry(const nc::IsoNcAnalyzer& a, EntryText& out) const
{
    out.format(t_.vertical, {a.wordValue(WordSlot::X), a.wordValue(WordSlot::Y), a.previousWordValue(WordSlot::Z),
                        a.wordValue(WordSlot::Z), a.moveLength(), a.feedRate()});
}

void BlockEntries::slopeEntry(const nc::IsoNcAnalyzer& a, EntryText& out) const
{
    out.format(t_.slope, {a.wordValue(WordSlot::X), a.wordValue(WordSlot::Y), a.previousWordValue(WordSlot::Z),
                        a.wordValue(WordSlot::Z), a.slopeAngle(false), a.wordValue(WordSlot::F)});
}

void BlockEntries::circularEntry(const util::PrintfFormat& format, const nc::IsoNcAnalyzer& a, EntryText& out) const
{
    // The sign of the radius shows the direction: negative for a clockwise G02.
    const double signedRadius = a.motionCode() == 2 ? -a.arcRadius() : a.arcRadius();
    out.format(format,
                       {a.arcCenterX(), a.arcCenterY(), signedRadius, a.wordValue(WordSlot::Z), a.moveLength(),
                        a.wordValue(WordSlot::F)});
}

void BlockEntries::arcEntry(const nc::IsoNcAnalyzer& a, EntryText& out) const
{
    circularEntry(t_.arc, a, out);
}

void BlockEntries::circleEntry(const nc::IsoNcAnalyzer& a, EntryText& out) const
{
    circularEntry(t_.circle, a, out);
}

void BlockEntries::compStartEntry(const nc::IsoNcAnalyzer& a, EntryText& out)
{
    out.format(t_.compStart, {asUnsigned(a.wordValue(WordSlot::GCutterComp)), asUnsigned(a.wordValue(WordSlot::D)),
                        a.moveLength()});
    state_.compMarkerShown = true;
}

void BlockEntries::compCancelEntry(EntryText& out)
{
    out += t_.compCancel;
    state_.compMarkerShown = false;
}

void BlockEntries::cycleHoleEntry(const nc::IsoNcAnalyzer& a, EntryText& out)
{
    const double x = a.wordValue(WordSlot::X);
    const double y = a.wordValue(WordSlot::Y);
    if (state_.cycleHeadingShown) {
        ++state_.holeCounter;
        out.format(t_.hole, {state_.holeCounter, x, y});
        return;
    }
    // The first hole of a group carries the cycle's name, its levels and the hole inside
    // the name's div.
    state_.holeCounter = 1;
    state_.cycleHeadingShown = true;
    const int code = util::truncToInt(a.wordValue(WordSlot::GCycle));
    // The converted table holds the unknown-cycle text for codes without a name already.
    const bool inTable = code >= kFirstCycleCode && code <= kLastCycleCode;
    const double z = a.wordValue(WordSlot::Z);
    out += t_.cycleNameStart;
    out += inTable ? t_.cycleNames[static_cast<std::size_t>(code - kFirstCycleCode)] : t_.unknownCycle;
    out.format(t_.cycleLevels, {z, a.toolDiameter() * 0.3 + z, a.wordValue(WordSlot::R), a.returnLevel()});
    out.format(t_.hole, {state_.holeCounter, x, y});
    out += t_.cycleNameEnd;
}

void BlockEntries::holeCountEntry(EntryText& out)
{
    out.format(t_.holeCount, {state_.holeCounter});
    state_.cycleHeadingShown = false;
    state_.holeCounter = 0;
}

void BlockEntries::overcutCheck(const nc::IsoNcAnalyzer& a, EntryText& out)
{
    if (!offsetCheck_) {
        return;
    }
    // The prompt comes first: the first arc of a new D number asks even when it turns away
    // from the compensated side. The D number is noted before asking, so a prompt that is
    // closed is not repeated for it.
    const int d = a.compensationD();
    if (d != 0 && d != radiusCache_.lastAskedD) {
        radiusCache_.lastAskedD = d;
        if (const auto typed = prompt_.askRadius(d, radiusPromptText(d))) {
            radiusCache_.compToolDiameter = util::parseDouble(*typed) * 2.0;
        }
    }
    if (!a.isCutterCompActive()) {
        return;
    }
    const int insideDirection = a.wordValue(WordSlot::GCutterComp) == 41.0 ? 3 : 2;
    if (a.motionCode() == insideDirection && radiusCache_.compToolDiameter * 0.5 >= a.arcRadius()) {
        out += t_.overcut;
        overcutShown_ = true;
        overcut_ = {d, radiusCache_.compToolDiameter * 0.5, a.arcRadius()};
    }
}

}  // namespace report
