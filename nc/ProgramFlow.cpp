#include "nc/ProgramFlow.h"

#include "util/Kazu.h"
#include "util/Number.h"

#include <cmath>

namespace nc {

using util::isDigit;

namespace {

// The last word of `letter` the block gives, as written.
const ReadWord* lastWord(const IsoNcBlock& block, char letter)
{
    const ReadWord* found = nullptr;
    for (const ReadWord& w : block.readWords()) {
        if (w.letter == letter && !w.noNumber) {
            found = &w;
        }
    }
    return found;
}

// A count or a program number: whole, not negative, and small enough to be one.
std::optional<int> wholeNumber(const ReadWord* w)
{
    if (!w || !std::isfinite(w->value) || w->value < 0.0 || w->value > 99999999.0) {
        return std::nullopt;
    }
    return static_cast<int>(w->value);
}

std::size_t skipBlanks(std::string_view line, std::size_t i)
{
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
        ++i;
    }
    return i;
}

}  // namespace

FlowCommand flowOf(const IsoNcBlock& block)
{
    FlowCommand command;
    // Most blocks call nothing: without an M word or a G code of no group they cannot.
    if (!block.isWordGiven(WordSlot::M) && !block.isWordGiven(WordSlot::GOther)) {
        return command;
    }
    bool call = false;
    bool local = false;
    bool macro = false;
    bool back = false;
    for (const ReadWord& w : block.readWords()) {
        if ((w.letter != 'M' && w.letter != 'G') || w.noNumber) {
            continue;
        }
        const int code = util::truncToInt(w.value);
        call = call || (w.letter == 'M' && code == 98);
        local = local || (w.letter == 'M' && code == 97);
        back = back || (w.letter == 'M' && code == 99);
        macro = macro || (w.letter == 'G' && code == 65);
    }
    if (!call && !local && !macro && !back) {
        return command;
    }
    const std::optional<int> p = wholeNumber(lastWord(block, 'P'));
    const ReadWord* l = lastWord(block, 'L');
    if (back && !call && !local && !macro) {
        command.kind = FlowCommand::Kind::Return;
        command.toSequence = p.has_value();
        command.number = p.value_or(0);
        return command;
    }
    command.kind = macro ? FlowCommand::Kind::MacroCall : local ? FlowCommand::Kind::LocalCall : FlowCommand::Kind::Call;
    command.number = p.value_or(-1);
    if (l) {
        command.count = wholeNumber(l).value_or(1);
    } else if (command.kind == FlowCommand::Kind::Call && p && *p > 9999) {
        command.count = *p / 10000;
        command.number = *p % 10000;
    }
    return command;
}

std::optional<int> cycleRepeats(const IsoNcBlock& block, Control control)
{
    if (block.wordValue(WordSlot::GCycle) == 80.0) {
        return std::nullopt;
    }
    const ReadWord* count = lastWord(block, 'L');
    if (!count && control == Control::Fanuc) {
        count = lastWord(block, 'K');
        // K counts only where it is no shift or arc word: on a hole of the XY plane.
        if (count && (block.wordValue(WordSlot::GPlane) != 17.0 || block.wordValue(WordSlot::GCycle) == 87.0 ||
                      block.wordValue(WordSlot::GCycle) == 76.0)) {
            count = nullptr;
        }
    }
    if (!count) {
        return std::nullopt;
    }
    // A K is a coordinate letter: without a point it was read in thousandths.
    const double value = count->letter == 'K' && !count->point ? std::round(count->value * 1000.0) : count->value;
    if (!std::isfinite(value) || value < 0.0) {
        return std::nullopt;
    }
    return static_cast<int>(std::min(value, 9999.0));
}

bool startsProgram(std::string_view line, int& number)
{
    std::size_t i = skipBlanks(line, 0);
    if (i < line.size() && line[i] == '%') {
        number = -1;
        return true;
    }
    if (i >= line.size() || (line[i] != 'O' && line[i] != 'o' && line[i] != ':')) {
        return false;
    }
    i = skipBlanks(line, i + 1);
    if (i >= line.size() || !isDigit(line[i])) {
        return false;
    }
    long long value = 0;
    while (i < line.size() && isDigit(line[i]) && value < 100000000) {
        value = value * 10 + (line[i] - '0');
        ++i;
    }
    number = static_cast<int>(value);
    return true;
}

std::optional<long long> sequenceNumberOf(std::string_view line)
{
    std::size_t i = skipBlanks(line, 0);
    if (i < line.size() && line[i] == '/') {
        i = skipBlanks(line, i + 1);
    }
    if (i >= line.size() || (line[i] != 'N' && line[i] != 'n')) {
        return std::nullopt;
    }
    i = skipBlanks(line, i + 1);
    if (i >= line.size() || !isDigit(line[i])) {
        return std::nullopt;
    }
    long long value = 0;
    while (i < line.size() && isDigit(line[i]) && value < 100000000) {
        value = value * 10 + (line[i] - '0');
        ++i;
    }
    return value;
}

}  // namespace nc
