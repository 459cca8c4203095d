// The program checks: what a careful setter would catch before running a program. They
// read the motion stream alone: each block as it is written (its words as the block
// reader scanned them) and what the machine does.
#pragma once

#include "checks/Finding.h"
#include "nc/Motion.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace checks {

class ProgramChecks : public nc::MotionSink {
public:
    explicit ProgramChecks(CheckSettings settings);

    // The stream's motions, in order.
    void motion(const nc::Motion& motion) override;
    // The end of the program: `completed` when the run read it to its last line
    // (`lastLine`). Findings that need the whole program are made here.
    void finish(bool completed, std::int64_t lastLine);

    // The classic report flagged an over-cut on line `line`: the tool radius of D number
    // `dNumber` reaches the compensated arc's radius.
    void overcut(std::int64_t line, int dNumber, double toolRadius, double arcRadius);

    // The run stopped on line `line` for `why` (a message for a person, UTF-8): the
    // figures end there, and the findings must say so.
    void stopped(std::int64_t line, const std::string& why);

    // What the macro reader found on line `line` (an error that stopped the run, an
    // alarm, a message, a variable it does not keep).
    void macro(CheckCode code, std::int64_t line, std::string message)
    {
        add(code, line, std::move(message));
    }
    // The run stopped on line `line` by the program's own wish or fault (a macro alarm
    // or error): the end is no longer missing.
    void endedAt() { programEnd_ = true; }

    // Everything found, in line order.
    std::vector<Finding> takeFindings();

private:
    void add(CheckCode code, std::int64_t line, std::string message);

    // How line `number` is written, before its motions.
    void block(std::int64_t number, const nc::WrittenBlock& block);
    // Lines and text the reader does not take; true when the line is done with.
    void noteUnreadEnd(std::int64_t number, std::string_view unread);
    bool unreadText(std::int64_t number, const nc::WrittenBlock& block);
    // G and M codes whose effect is not followed; notes the first work offset.
    bool isUnfollowed(char letter, int code);
    void cutting(const nc::Motion& motion);
    void limits(const nc::Motion& motion);
    void call(const nc::Motion& motion);

    CheckSettings settings_;
    std::vector<Finding> findings_;
    std::array<bool, kCheckCount> ignored_{};
    std::array<std::int64_t, kCheckCount> lastFindingLine_{};  // per check, so each finds once per line

    // Words.
    bool pointSeen_ = false;            // a coordinate number with a point has been read
    bool arcByOffsets_ = false;         // this line is a G02/G03 given by I, J, K without R
    std::int64_t compLine_ = 0;         // line of the last G40/G41/G42 not yet followed by a move
    int compCode_ = 0;
    // Motion.
    bool feedReported_ = false;         // no-feed found, and no F since
    bool spindleRunning_ = false;
    bool spindleReported_ = false;      // spindle-stopped found, and the spindle has not run since
    std::int64_t spindleStartLine_ = 0;  // the last line that gives M03 or M04
    struct SpindleStop {
        enum class Why { NeverStarted, M05, ToolChange } why = Why::NeverStarted;
        std::int64_t line = 0;
    } spindleStop_;                     // what stopped the spindle last
    bool cut_ = false;                  // a cutting move in this tool section
    double deepestCut_ = 0.0;           // its lowest Z
    bool depthUnknown_ = false;         // text not read in this section may have moved the tool
    std::int64_t unreadLine_ = 0;       // the last line with text not read
    bool feedUnknown_ = false;          // an F stood in text not read, and none was read since
    bool programEnd_ = false;
    std::array<bool, 3> axisMoved_{};   // X, Y, Z have left the start point
    // Codes Brelvane does not follow: lines that give them, and the first of those lines.
    struct Unfollowed {
        std::int64_t firstLine = 0;
        std::int64_t lines = 0;
    };
    std::map<std::string, Unfollowed> unfollowed_;
    int firstWorkOffset_ = 0;
    // The block being read, and where it is written.
    std::int64_t blockLine_ = 0;
    std::string blockProgram_;
    std::int64_t blockFileLine_ = 0;
    bool blockAgain_ = false;           // it has run before: its writing has been judged
    // Floods: how many blocks, how many of them not (fully) read and why, how many
    // numbers read as thousandths; the first line of each.
    std::int64_t blocks_ = 0;
    std::int64_t unreadLines_ = 0;
    std::int64_t lowerCaseLines_ = 0;   // of them, stopped at a lower-case letter
    std::int64_t firstUnreadLine_ = 0;
    std::int64_t pointlessCount_ = 0;
    std::int64_t firstPointlessLine_ = 0;
    bool linePointless_ = false;        // this line has a number read as thousandths
    std::int64_t unreadEndLine_ = 0;    // the last program end found in text not read
    std::string unreadEnd_;             // as written there
    bool lineThousandths_ = false;      // this line sets X, Y or Z by a number without a point
    struct Thousandths {
        std::int64_t line = 0;          // where the axis was last set by a number without a point; 0: with one
        double value = 0.0;             // as read
        std::string text;               // its number as written
    };
    std::array<Thousandths, 3> thousandths_{};  // as the blocks before this one left X, Y, Z
    std::array<Thousandths, 3> lineSets_{};     // what this block sets
    std::array<bool, 3> lineSet_{};
};

}  // namespace checks
