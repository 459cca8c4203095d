// The custom macros of one run: the variables, the loops that are running, and what each
// macro line does to the listing and to the order of blocks. The run hands every line
// with macro syntax here before the interpreter reads it.
#pragma once

#include "machine/MachineProfile.h"
#include "nc/IsoNcBlock.h"
#include "nc/Macro.h"
#include "nc/Motion.h"
#include "run/ProgramExecution.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace run {

class RunStream;

class MacroSteps {
public:
    // `modal` gives the interpreter's modal values (#4001 …), `position` where the tool
    // is (#5041 …).
    MacroSteps(const machine::MachineProfile& profile, RunStream& stream,
               std::function<nc::MacroValue(int)> modal);

    struct Step {
        enum class Kind : std::uint8_t {
            Plain,      // read the line as it is
            Block,      // read `text`: the line with its expressions' values
            Statement,  // a row of its own, saying `entry`; nothing for the interpreter
            Stop,       // a row saying `entry`, and the run stops (alarm, error)
        };
        Kind kind = Kind::Plain;
        std::string text;
        std::string entry;
    };
    // Line `number` (its place in the order blocks run), with macro syntax. Steers
    // `execution` for GOTO, WHILE and END; findings go to the stream.
    Step read(const std::string& line, std::int64_t number, ProgramExecution& execution, bool inch);

    // A G65 call was made by `block`: its arguments become the new level's #1–#26.
    void called(const nc::IsoNcBlock& block);
    // The calls still running: levels of returned calls go.
    void sync(std::size_t macroDepth);
    std::size_t depth() const { return memory_.depth(); }

private:
    struct Loop {
        long long id = 0;  // DO m
        LinePlace place;   // its WHILE line
        std::size_t depth = 0;
        int passes = 0;
    };

    nc::MacroValue systemValue(int number);
    void setSystem(int number, nc::MacroValue value);

    nc::MacroMemory memory_;
    RunStream& stream_;
    const machine::MachineProfile& profile_;
    std::function<nc::MacroValue(int)> modal_;
    std::vector<Loop> loops_;
    std::set<int> told_;              // system variables told of once
    std::int64_t number_ = 0;         // the line being read
    std::string line_;                // its text, for #3000 and #3006's messages
    bool stop_ = false;               // #3000 stops the run after this line
    std::string stopWhy_;
};

}  // namespace run
