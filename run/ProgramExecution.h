// The order in which a control runs the program's blocks: the file from its first line,
// into a called subprogram and back, a subprogram again for each of its passes. The run
// takes each block from here, reads it, and says here what the block did to the flow.
// Files are read as they run and indexed (where their programs and sequence numbers
// start), never held whole.
#pragma once

#include "nc/Motion.h"
#include "nc/ProgramFlow.h"
#include "run/ProgramReader.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace run {

// What came of a block's call or return, for the listing and the findings.
struct FlowEvent {
    using Kind = nc::CallEvent;  // Pass: `label` "O1000" begins pass `pass` of `count`
    Kind kind = Kind::Pass;
    std::string label;
    int pass = 0;
    int count = 0;
};

class ProgramExecution {
public:
    // Subprograms are looked for in the main file, then in its folder, then in `folders`.
    // `maxBlocks` counts the blocks run inside calls and repeats.
    ProgramExecution(std::unique_ptr<ProgramReader> main, std::vector<std::string> folders, std::int64_t maxBlocks,
                     nc::Control control = nc::Control::Fanuc);

    // The next block to run into `line`; false when the program is over.
    bool next(std::string& line);
    // Of the block next() gave: the characters code page 932 could not hold, its line in
    // its own file, and the program it belongs to ("" in the main file's own flow).
    const std::vector<util::UnmappedCharacter>& unmapped() const { return current_->unmapped(); }
    std::int64_t fileLine() const { return current_->place().line; }
    const std::string& program() const { return frames_.back().label; }
    bool inCall() const { return frames_.size() > 1; }
    // The block has run before: a later pass of its program, or its program was called
    // before.
    bool again() const
    {
        const Frame& f = frames_.back();
        return f.again || (looping_ && current_->place().offset < f.furthest);
    }

    // What the block next() gave last does to the flow; `ends` when it ends the program
    // (M02, M30).
    void after(const nc::FlowCommand& command, bool ends);
    // A block run once more by a repeat count: it counts against the limit. False (with
    // its event) when the limit is reached.
    bool repeatBlock();
    // Macro statements steer the flow within the program that runs: to the block with
    // sequence number `n` (false when it has none), back to a block already read (a
    // loop's WHILE), or on past the block `isEnd` knows (a loop that does not run; false
    // when the program ends first). From the first of them on, every block counts against
    // the limit.
    bool jump(long long n);
    void back(const LinePlace& place);
    bool skipPast(const std::function<bool(std::string_view)>& isEnd);
    // Where the block next() gave last stands, in the program now running.
    LinePlace place() const { return current_->place(); }
    // Ends the run after the block now running (a macro alarm or error).
    void stop() { stopped_ = true; }
    // G65 calls on the stack: each has its level of local variables.
    std::size_t macroDepth() const { return macroFrames_; }

    // What came of next(), after() and repeatBlock() since the last call, in order.
    std::vector<FlowEvent> takeEvents() { return std::exchange(events_, {}); }
    bool hasEvents() const { return !events_.empty(); }

    void close();

private:
    struct Frame {
        ProgramReader* reader = nullptr;  // where this program is read
        LinePlace start;                  // its first block
        LinePlace programStart;           // where its program begins, for sequence numbers
        LinePlace back;                   // the caller's block after the call
        ProgramReader* backReader = nullptr;
        std::string label;                // "O1000", "N100"; "" for the main program
        int number = -1;                  // the program number; -1 for the main and local calls
        bool macro = false;               // a G65 call
        bool again = false;               // its blocks have run before
        std::uint64_t furthest = 0;       // how far it has read: a block before that runs again
        int pass = 1;
        int count = 1;
    };
    struct Found {
        ProgramReader* reader = nullptr;
        LinePlace start;
    };

    // The program `number`: in the main file, else in a file of the folders.
    std::optional<Found> findProgram(int number);
    // The block with sequence number `n` from `from` on to the end of its program.
    std::optional<LinePlace> findSequence(ProgramReader& reader, const LinePlace& from, long long n);
    const std::map<int, LinePlace>& programsIn(ProgramReader& reader);
    ProgramReader* openFile(const std::string& path);
    void startAtTheMainProgram();
    void reached();
    void call(const nc::FlowCommand& command);
    void returnToCaller(std::optional<long long> sequence);
    bool countBlock();

    ProgramReader* main_;
    ProgramReader* current_;
    std::vector<std::unique_ptr<ProgramReader>> readers_;
    std::map<const ProgramReader*, std::map<int, LinePlace>> programIndex_;
    std::map<std::string, std::vector<std::string>> folderFiles_;
    std::vector<std::string> folders_;
    std::vector<Frame> frames_;
    std::int64_t maxBlocks_;
    std::int64_t repeatedBlocks_ = 0;  // blocks run inside calls and repeats
    std::vector<FlowEvent> events_;
    std::vector<std::string> entered_;  // the programs called so far, by label
    // The main file's programs in order: where each begins and how it last ends (2, 30,
    // 99; 0 for none), once it is indexed.
    std::vector<std::pair<LinePlace, int>> programEnds_;
    std::map<std::tuple<const ProgramReader*, std::uint64_t, long long>, std::optional<LinePlace>> sequences_;
    bool ended_ = false;               // the program end (or an endless M99) has been run
    bool stopped_ = false;
    bool called_ = false;              // a call has been made
    std::size_t macroFrames_ = 0;      // G65 calls on the stack
    bool looping_ = false;             // a macro statement has steered the flow
    nc::Control control_;
};

// How deep subprogram calls may nest, and macro calls apart from them, as the control
// allows (docs/reading.md).
inline constexpr std::size_t kMaxCallDepth = 4;

}  // namespace run
