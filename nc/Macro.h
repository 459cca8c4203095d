// Custom macros as a Fanuc-class control reads them: variables, expressions in words and
// in assignments, and the statements that steer the program (GOTO, IF, WHILE … DO, END).
// This reads one line and says what it does; the run keeps the order of blocks.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nc {

// A value of a variable: none while it is vacant.
using MacroValue = std::optional<double>;

// What the control stops on: a division by zero, a jump to nowhere, a variable it does not
// have. The message is for a person (Japanese, UTF-8).
class MacroError : public std::runtime_error {
public:
    // `syntax`: the text is no expression at all (a bracketed comment after a letter),
    // rather than one the control cannot evaluate.
    explicit MacroError(const std::string& message, bool syntax = false) : std::runtime_error(message), syntax_(syntax) {}
    bool syntax() const { return syntax_; }

private:
    bool syntax_;
};

// The variables: #1–#33 for each macro call level, #100–#199 and #500–#999 common to all,
// #0 always vacant, names (#<name>) for programs of that dialect, and the system variables
// through `system` (which throws MacroError for one it does not keep).
class MacroMemory {
public:
    MacroMemory();

    MacroValue get(int number) const;
    void set(int number, MacroValue value);
    MacroValue named(const std::string& name) const;
    void setNamed(const std::string& name, MacroValue value);

    // A G65 call: a new level of local variables with its arguments; its return drops it.
    void pushLocals(const std::array<MacroValue, 33>& arguments);
    void popLocals();
    std::size_t depth() const { return locals_.size() - 1; }

    // Common variables the profile gives at the start (#100–#199, #500–#999).
    void setCommon(int number, double value) { set(number, value); }

    // System variables (#1000 and up, but for the commons #500–#999).
    std::function<MacroValue(int)> system;
    // Assignments to system variables: #3000 (alarm), #3006 (stop with a message) are
    // the run's; any other is refused by it.
    std::function<void(int, MacroValue)> setSystem;

private:
    std::vector<std::array<MacroValue, 34>> locals_;  // [0] unused
    std::array<MacroValue, 100> common100_{};         // #100–#199
    std::array<MacroValue, 500> common500_{};         // #500–#999
    std::map<std::string, MacroValue, std::less<>> named_;
};

// What one line does.
struct MacroLine {
    enum class Kind : std::uint8_t {
        Plain,      // no macro syntax: the line as it is
        Block,      // a block whose words held expressions: `text` with their values
        Statement,  // an assignment, or an IF … THEN: done; `entry` says what it did
        Jump,       // GOTO (or IF … GOTO whose condition held): to sequence number `target`
        While,      // WHILE [cond] DO `target`: `holds` says whether the loop runs (again)
        End,        // END `target`: back to its WHILE
    };
    Kind kind = Kind::Plain;
    std::string text;   // Block
    std::string entry;  // Statement, Jump, While, End: what it did (UTF-8), for the listing
    long long target = 0;
    bool holds = false;
};

// Reads a line. `inch`: numbers go into words to a ten-thousandth, else a thousandth (the
// least increment). Throws MacroError.
MacroLine readMacroLine(std::string_view line, MacroMemory& memory, bool inch);

// True when the line holds anything of macro syntax (a '#', a '[' or a statement word):
// the cheap test the run makes on every line.
bool hasMacroSyntax(std::string_view line);

// Evaluates one expression (for the tests and the arguments of G65): "[1+2]*3", "#1",
// "SIN[30]"; a condition's comparison gives 1 or 0.
MacroValue evaluateMacro(std::string_view expression, MacroMemory& memory);

}  // namespace nc
