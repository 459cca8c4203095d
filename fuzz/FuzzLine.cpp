// Fuzz target: arbitrary bytes as NC lines through the macro reader, the interpreter and
// the block entries, with the over-cut check on. Only our user-error and macro-error
// types may escape a line.
#include "nc/IsoNcAnalyzer.h"
#include "nc/Macro.h"
#include "report/BlockEntries.h"
#include "util/UserError.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

class AnswerFromInput : public report::RadiusPrompt {
public:
    explicit AnswerFromInput(std::string answer) : answer_(std::move(answer)) {}
    std::optional<std::string> askRadius(int, const std::string&) override { return answer_; }

private:
    std::string answer_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The first line answers the radius prompt; the rest is the program.
    const auto firstFeed = input.find('\n');
    AnswerFromInput prompt(std::string(input.substr(0, firstFeed == std::string_view::npos ? 0 : firstFeed)));
    report::EntryState state;
    report::RadiusCache cache;
    report::BlockEntries entries(state, cache, prompt, true);
    nc::IsoNcAnalyzer analyzer;
    analyzer.setLine("G92X0.0Y0.0Z200.0");
    nc::MacroMemory memory;
    memory.system = [](int) { return nc::MacroValue(); };
    memory.setSystem = [](int, nc::MacroValue) {};
    std::size_t start = firstFeed == std::string_view::npos ? 0 : firstFeed + 1;
    while (start <= input.size()) {
        auto end = input.find('\n', start);
        if (end == std::string_view::npos) {
            end = input.size();
        }
        std::string_view line = input.substr(start, end - start);
        std::string read;
        try {
            if (nc::hasMacroSyntax(line)) {
                nc::MacroLine macro = nc::readMacroLine(line, memory, analyzer.isInchMode());
                if (macro.kind == nc::MacroLine::Kind::Block) {
                    read = std::move(macro.text);
                    line = read;
                } else if (macro.kind != nc::MacroLine::Kind::Plain) {
                    start = end + 1;
                    continue;
                }
            }
            analyzer.setLine(line);
            entries.blockEntry(analyzer, line);
        } catch (const util::UserError&) {
            return 0;  // the run would end here with the message
        } catch (const nc::MacroError&) {
            return 0;  // the run would stop here with a macro-error finding
        }
        start = end + 1;
    }
    return 0;
}
