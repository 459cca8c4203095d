// Which way a block sends the program: on to the next block, into a subprogram, back
// out of one, or round again. Read from the block's words as the control reads them; the
// run finds the programs and keeps the call stack.
#pragma once

#include "nc/IsoNcBlock.h"

#include <optional>
#include <string_view>

namespace nc {

// Whose manuals decide where controls differ.
enum class Control : std::uint8_t { Fanuc, Haas };

struct FlowCommand {
    enum class Kind : std::uint8_t {
        Next,       // on to the next block
        Call,       // M98 P: program `number`, `count` times
        LocalCall,  // M97 P: the block with sequence number `number` of this file, `count` times
        MacroCall,  // G65 P: program `number`, `count` times (its arguments are the macros' own)
        Return,     // M99: back to the caller, to its sequence number `number` when `toSequence`
    };
    Kind kind = Kind::Next;
    int number = 0;
    int count = 1;
    bool toSequence = false;
};

// The block's call or return. The count of M98 may stand in the digits above the
// program number's four (P50010: five times O0010) when no L gives it.
FlowCommand flowOf(const IsoNcBlock& block);

// How often a canned-cycle block drills its hole: its L (K too under Fanuc's reading),
// none when it gives neither. 0 stores the cycle's data without drilling.
std::optional<int> cycleRepeats(const IsoNcBlock& block, Control control);

// A line that begins a stored program: "O1234 …" or ":1234 …" (the number in `number`),
// or a "%" line (number -1). Blanks may lead; the letter may be lower case.
bool startsProgram(std::string_view line, int& number);

// The sequence number a line begins with ("N100 …", "/N100 …"), if any.
std::optional<long long> sequenceNumberOf(std::string_view line);

}  // namespace nc
