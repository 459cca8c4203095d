#include "run/MacroSteps.h"

#include "nc/LineComment.h"
#include "nc/Markers.h"
#include "run/RunStream.h"
#include "util/Cp932.h"
#include "util/Number.h"

#include <algorithm>
#include <cmath>

namespace run {

namespace {

using checks::CheckCode;

// G65's arguments, each letter once: the letter's variable, 0 for none.
int argumentVariable(char letter)
{
    switch (letter) {
    case 'A': return 1;
    case 'B': return 2;
    case 'C': return 3;
    case 'I': return 4;
    case 'J': return 5;
    case 'K': return 6;
    case 'D': return 7;
    case 'E': return 8;
    case 'F': return 9;
    case 'H': return 11;
    case 'M': return 13;
    case 'Q': return 17;
    case 'R': return 18;
    case 'S': return 19;
    case 'T': return 20;
    case 'U': return 21;
    case 'V': return 22;
    case 'W': return 23;
    case 'X': return 24;
    case 'Y': return 25;
    case 'Z': return 26;
    default: return 0;
    }
}

// "END 2" (after its sequence number): the END of loop `id`.
bool endsLoop(std::string_view line, long long id)
{
    std::size_t i = 0;
    while (i < line.size() && line[i] == ' ') {
        ++i;
    }
    if (i < line.size() && (line[i] == 'N' || line[i] == 'n')) {
        ++i;
        while (i < line.size() && ((line[i] >= '0' && line[i] <= '9') || line[i] == ' ')) {
            ++i;
        }
    }
    if (line.substr(i, 3) != "END") {
        return false;
    }
    i += 3;
    while (i < line.size() && line[i] == ' ') {
        ++i;
    }
    long long n = 0;
    bool digits = false;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
        n = n * 10 + (line[i] - '0');
        digits = true;
        ++i;
    }
    return digits && n == id;
}

}  // namespace

MacroSteps::MacroSteps(const machine::MachineProfile& profile, RunStream& stream,
                       std::function<nc::MacroValue(int)> modal)
    : stream_(stream), profile_(profile), modal_(std::move(modal))
{
    memory_.system = [this](int number) { return systemValue(number); };
    memory_.setSystem = [this](int number, nc::MacroValue value) { setSystem(number, value); };
    for (const auto& [number, value] : profile.variables) {
        memory_.setCommon(number, value);
    }
}

nc::MacroValue MacroSteps::systemValue(int number)
{
    if (number >= 4001 && number <= 4130) {
        return modal_(number);
    }
    if ((number >= 5001 && number <= 5006) || (number >= 5044 && number <= 5046)) {
        return modal_(number);
    }
    if (number >= 5041 && number <= 5043) {
        const double v = stream_.position()[static_cast<std::size_t>(number - 5041)];
        return std::isfinite(v) ? nc::MacroValue(v) : std::nullopt;
    }
    if (number == 3000 || number == 3006) {
        return std::nullopt;
    }
    // Work offsets G54–G59: #5221 + 20 per offset, X Y Z.
    if (number >= 5221 && number <= 5323 && (number - 5221) % 20 < 3) {
        const auto offset = static_cast<std::size_t>((number - 5221) / 20);
        const auto axis = static_cast<std::size_t>((number - 5221) % 20);
        if (profile_.offsets[offset]) {
            return (*profile_.offsets[offset])[axis];
        }
        if (told_.insert(number).second) {
            stream_.macroFinding(CheckCode::MacroVacant, number_,
                                 "#" + util::formatInt(number) + " (ワーク座標 G" + util::formatInt(54 + static_cast<int>(offset)) +
                                     ") はマシンプロファイルの [offsets] にないため空として読みます");
        }
        return std::nullopt;
    }
    if (number >= 2001 && number <= 2400) {
        if (told_.insert(number).second) {
            stream_.macroFinding(CheckCode::MacroVacant, number_,
                                 "#" + util::formatInt(number) + " (工具補正量) は与えられていないため空として読みます");
        }
        return std::nullopt;
    }
    if (told_.insert(number).second) {
        stream_.macroFinding(CheckCode::MacroUnsupported, number_,
                             "システム変数 #" + util::formatInt(number) + " は追跡していません: 空として読みます");
    }
    return std::nullopt;
}

void MacroSteps::setSystem(int number, nc::MacroValue value)
{
    const std::string text = util::cp932ToUtf8(nc::lineComment(line_));
    const std::string code = value ? util::formatInt(std::llround(*value)) : std::string("空");
    if (number == 3000) {
        stop_ = true;
        stopWhy_ = "マクロアラーム " + code + (text.empty() ? "" : ": " + text);
        stream_.macroFinding(CheckCode::MacroAlarm, number_, stopWhy_ + "。解析はここで止まりました", true);
        return;
    }
    if (number == 3006) {
        stream_.macroFinding(CheckCode::MacroMessage, number_,
                             "メッセージ付き停止 " + code + (text.empty() ? "" : ": " + text));
        return;
    }
    if (told_.insert(number).second) {
        stream_.macroFinding(CheckCode::MacroUnsupported, number_,
                             "システム変数 #" + util::formatInt(number) + " への代入は追跡していません");
    }
}

MacroSteps::Step MacroSteps::read(const std::string& line, std::int64_t number, ProgramExecution& execution, bool inch)
{
    number_ = number;
    line_ = line;
    Step step;
    nc::MacroLine macro;
    try {
        macro = nc::readMacroLine(line, memory_, inch);
    } catch (const nc::MacroError& error) {
        step.kind = Step::Kind::Stop;
        step.entry = std::string("マクロエラー: ") + error.what();
        stream_.macroFinding(CheckCode::MacroError, number,
                             std::string(error.what()) + "。解析はここで止まりました", true);
        execution.stop();
        return step;
    }
    using Kind = nc::MacroLine::Kind;
    switch (macro.kind) {
    case Kind::Plain:
        return step;
    case Kind::Block:
        step.kind = Step::Kind::Block;
        step.text = std::move(macro.text);
        return step;
    case Kind::Statement:
        step.kind = Step::Kind::Statement;
        step.entry = std::move(macro.entry);
        break;
    case Kind::Jump:
        step.kind = Step::Kind::Statement;
        step.entry = std::move(macro.entry);
        if (!execution.jump(macro.target)) {
            step.kind = Step::Kind::Stop;
            const std::string why = "飛び先 N" + util::formatInt(macro.target) + " がありません";
            step.entry = "マクロエラー: " + why;
            stream_.macroFinding(CheckCode::MacroError, number, why + "。解析はここで止まりました", true);
            execution.stop();
        }
        return step;
    case Kind::While: {
        const LinePlace here = execution.place();
        // Back at its WHILE: the loops a GOTO left from inside it are over.
        const auto running = std::find_if(loops_.rbegin(), loops_.rend(),
                                          [&](const Loop& l) { return l.place == here && l.id == macro.target; });
        const bool again = running != loops_.rend();
        if (again) {
            loops_.erase(running.base(), loops_.end());
        }
        if (!again && macro.holds) {
            loops_.push_back({macro.target, here, execution.macroDepth(), 0});
        }
        step.kind = Step::Kind::Statement;
        if (macro.holds) {
            const int pass = ++loops_.back().passes;
            step.entry = "WHILE 成立 (" + util::formatInt(pass) + " 回目)";
            return step;
        }
        if (again) {
            loops_.pop_back();
        }
        step.entry = "WHILE 不成立 → END " + util::formatInt(macro.target) + " の後へ";
        if (!execution.skipPast([&](std::string_view l) { return endsLoop(l, macro.target); })) {
            step.kind = Step::Kind::Stop;
            const std::string why = "DO " + util::formatInt(macro.target) + " の END がありません";
            step.entry = "マクロエラー: " + why;
            stream_.macroFinding(CheckCode::MacroError, number, why + "。解析はここで止まりました", true);
            execution.stop();
        }
        return step;
    }
    case Kind::End: {
        step.kind = Step::Kind::Statement;
        const auto open = std::find_if(loops_.rbegin(), loops_.rend(), [&](const Loop& l) { return l.id == macro.target; });
        if (open != loops_.rend()) {
            loops_.erase(open.base(), loops_.end());  // loops a GOTO left stay behind no longer
        }
        if (loops_.empty() || loops_.back().id != macro.target) {
            step.kind = Step::Kind::Stop;
            const std::string why = "END " + util::formatInt(macro.target) + " に対応する DO がありません";
            step.entry = "マクロエラー: " + why;
            stream_.macroFinding(CheckCode::MacroError, number, why + "。解析はここで止まりました", true);
            execution.stop();
            return step;
        }
        step.entry = "END " + util::formatInt(macro.target) + " → WHILE";
        execution.back(loops_.back().place);
        return step;
    }
    }
    if (stop_) {
        step.kind = Step::Kind::Stop;
        step.entry = stopWhy_;
        execution.stop();
    }
    return step;
}

void MacroSteps::called(const nc::IsoNcBlock& block)
{
    std::array<nc::MacroValue, 33> arguments{};
    for (const nc::ReadWord& w : block.readWords()) {
        const int variable = argumentVariable(w.letter);
        if (variable != 0 && !w.noNumber && w.letter != 'G') {
            arguments[static_cast<std::size_t>(variable - 1)] = w.value;
        }
    }
    memory_.pushLocals(arguments);
}

void MacroSteps::sync(std::size_t macroDepth)
{
    while (memory_.depth() > macroDepth) {
        memory_.popLocals();
    }
    // A loop belongs to the call level it began in.
    while (!loops_.empty() && loops_.back().depth > macroDepth) {
        loops_.pop_back();
    }
}

}  // namespace run
