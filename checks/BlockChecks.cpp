// How each block is written: text the control would not read, numbers without a point
// where the program writes its points, codes this reading does not follow.
#include "checks/ProgramChecks.h"

#include "checks/CheckText.h"
#include "nc/IsoNcBlock.h"
#include "util/Cp932.h"
#include "util/Number.h"

#include <algorithm>
#include <cmath>

namespace checks {

namespace {

bool isAsciiLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isLetterOrDigit(unsigned char c)
{
    return isAsciiLetter(c) || (c >= '0' && c <= '9');
}

// The first letter or digit of `text` a reader would take for a word: outside
// parentheses and before a ";"; npos when there is none. The second byte of a
// double-byte character is never taken for a letter.
std::size_t firstLetterOrDigit(std::string_view text)
{
    bool inComment = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (util::isCp932LeadByte(c)) {
            ++i;
        } else if (c == '(') {
            inComment = true;
        } else if (c == ')') {
            inComment = false;
        } else if (c == ';' && !inComment) {
            break;
        } else if (!inComment && isLetterOrDigit(c)) {
            return i;
        }
    }
    return std::string_view::npos;
}

// The letters of words that move the tool or shape its path.
bool isAxisWord(char letter)
{
    switch (letter) {
    case 'X': case 'Y': case 'Z': case 'I': case 'J': case 'K': case 'R':
    case 'x': case 'y': case 'z': case 'i': case 'j': case 'k': case 'r':
        return true;
    default:
        return false;
    }
}

// Whether unread text holds such a word: the letter, then a number or an expression.
bool namesAnAxis(std::string_view text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        const char next = text[i + 1];
        if (isAxisWord(text[i]) && ((next >= '0' && next <= '9') || next == '.' || next == '-' || next == '+' ||
                                    next == '[' || next == '#')) {
            return true;
        }
    }
    return false;
}

bool holdsLetterOrDigit(std::string_view text)
{
    return firstLetterOrDigit(text) != std::string_view::npos;
}

// A G or M word's code: its integer part (G28.1 is G28); 0 for what no code can be.
int codeOf(double value)
{
    return std::fabs(value) < 1e6 ? static_cast<int>(value) : 0;
}

// Letters whose number with a point shows that the program writes its points.
bool isPointEvidence(char letter)
{
    switch (letter) {
    case 'X': case 'Y': case 'Z': case 'A': case 'B': case 'C': case 'I': case 'J': case 'K': case 'Q': case 'R':
        return true;
    default:
        return false;
    }
}
}  // namespace

void ProgramChecks::block(std::int64_t number, const nc::WrittenBlock& block)
{
    blocks_ += block.again ? 0 : 1;
    linePointless_ = false;
    lineThousandths_ = false;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        if (lineSet_[axis]) {
            // Most axes are set with a point: then the number's text and value are never read.
            if (lineSets_[axis].line == 0) {
                thousandths_[axis].line = 0;
            } else {
                std::swap(thousandths_[axis], lineSets_[axis]);
            }
            lineSet_[axis] = false;
        }
    }
    bool unread = unreadText(number, block);

    // One pass over the words: points and numbers without one, codes not followed, a
    // feed given again (it arms the feed check), an arc by centre offsets (checked when
    // its motion comes), compensation codes (they wait for the tool's next move).
    const auto& words = *block.words;
    bool dwell = false;
    for (const nc::ReadWord& w : words) {
        dwell = dwell || (w.letter == 'G' && !w.noNumber && w.value == 4.0);
    }
    const bool arcBlock = (block.motionCode == 2 || block.motionCode == 3) && block.cycleOff;
    bool offsets = false;
    bool radius = false;
    bool feedGiven = false;
    bool pointless = false;
    std::pair<char, int> unfollowed[4];  // letter and code, each once
    int unfollowedCount = 0;
    for (const nc::ReadWord& w : words) {
        if ((w.noNumber || w.skipped) && isAxisWord(w.letter)) {
            depthUnknown_ = true;  // an axis took a value the program did not give it
        }
        if (!unread && (w.noNumber || w.skipped)) {
            unread = true;
            add(CheckCode::UnreadText, number,
                w.noNumber ? std::string("「") + w.letter + "」の後に数値がなく、0 と読まれています"
                           : std::string("「") + w.letter + "」と数値の間の文字は読み飛ばされ、" + quoted(w.text) +
                                 " が " + w.letter + " の値として読まれています");
        }
        if (w.noNumber) {
            continue;
        }
        bool coordinate = false;
        switch (w.letter) {
        case 'X': case 'Y': case 'Z':
            coordinate = true;
            break;
        case 'K':
            // In a canned cycle K is the repeat count (Fanuc), a whole number.
            coordinate = block.cycleOff;
            offsets = block.cycleOff;
            break;
        case 'I': case 'J':
            coordinate = true;
            offsets = true;
            break;
        case 'R':
            coordinate = arcBlock;
            radius = true;
            break;
        case 'F':
            feedReported_ = feedReported_ && !(w.value > 0.0);
            feedGiven = true;
            break;
        case 'G':
        case 'M': {
            const int code = codeOf(w.value);
            if (w.letter == 'M' && (code == 3 || code == 4)) {
                spindleStartLine_ = number;  // counts on its line whatever else stops it
            }
            if (w.letter == 'G' && (code == 40 || code == 41 || code == 42)) {
                compLine_ = number;
                compCode_ = code;
            }
            const std::pair<char, int> key{w.letter, code};
            if (isUnfollowed(w.letter, code) && unfollowedCount < 4 &&
                std::find(unfollowed, unfollowed + unfollowedCount, key) == unfollowed + unfollowedCount) {
                unfollowed[unfollowedCount++] = key;
            }
            break;
        }
        default:
            break;
        }
        // Where each axis was last set by a number read in thousandths: an arc that starts
        // there says so.
        if ((w.letter == 'X' || w.letter == 'Y' || w.letter == 'Z') && !settings_.wholeUnits) {
            // Kept aside until the next block: this block's arc starts where the last one left it.
            const auto axis = static_cast<std::size_t>(w.letter - 'X');
            Thousandths& t = lineSets_[axis];
            lineSet_[axis] = true;
            t.line = !w.point && w.value != 0.0 ? number : 0;
            if (t.line != 0) {
                t.value = w.value;
                t.text.assign(w.text.substr(0, kShownBytes));  // short: no allocation
            }
            lineThousandths_ = lineThousandths_ || (t.line != 0 && !dwell);
        }
        // A number without a point is read in thousandths (ten-thousandths in inch): once
        // a program writes its coordinates with points, one without is most likely a slip.
        if (coordinate && !w.point && !pointless && w.value != 0.0 && pointSeen_ && !dwell &&
            !settings_.wholeUnits) {
            pointless = true;
            linePointless_ = true;
            add(CheckCode::PointLessNumber, number,
                "小数点のない " + quoted(word(w)) + " は " + decimal(w.value) + " と読まれています (" + word(w) +
                    " → " + decimal(w.value) + ")");
        }
        pointSeen_ = pointSeen_ || (w.point && isPointEvidence(w.letter));
    }
    unreadLine_ = unread ? number : unreadLine_;
    // An F in text that was not read (`P F15.04`: the empty P took its number) leaves the
    // feed unknown until one is read: no cut is called one without feed meanwhile.
    if (feedGiven) {
        feedUnknown_ = false;
    } else if (unread && block.text.find_first_of("Ff") != std::string_view::npos) {
        feedUnknown_ = true;
    }
    for (int k = 0; k < unfollowedCount && !block.again; ++k) {
        Unfollowed& u = unfollowed_[unfollowed[k].first + util::formatInt(unfollowed[k].second)];
        if (u.lines == 0) {
            u.firstLine = number;
        }
        ++u.lines;
    }
    arcByOffsets_ = (block.motionCode == 2 || block.motionCode == 3) && offsets && !radius;
}

bool ProgramChecks::isUnfollowed(char letter, int code)
{
    if (letter == 'M') {
        return false;
    }
    switch (code) {
    // G33 (thread cutting; G33.1 a rigid tap on some controls) moves nothing as read.
    case 10: case 33: case 51: case 52: case 66: case 68:
        return true;
    default:
        break;
    }
    // The first work offset is the program's; a change to another is not followed.
    if (code >= 54 && code <= 59) {
        if (firstWorkOffset_ == 0) {
            firstWorkOffset_ = code;
        }
        return code != firstWorkOffset_;
    }
    return false;
}

void ProgramChecks::noteUnreadEnd(std::int64_t number, std::string_view unread)
{
    // "m2", "M30", "m02" standing on their own in text not read.
    for (std::size_t i = 0; i < unread.size(); ++i) {
        if ((unread[i] != 'M' && unread[i] != 'm') || (i > 0 && isAsciiLetter(static_cast<unsigned char>(unread[i - 1])))) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < unread.size() && unread[end] >= '0' && unread[end] <= '9') {
            ++end;
        }
        const std::string_view digits = unread.substr(i + 1, end - i - 1);
        if (digits == "2" || digits == "02" || digits == "30") {
            unreadEndLine_ = number;
            unreadEnd_.assign(unread.substr(i, end - i));
            return;
        }
    }
}

bool ProgramChecks::unreadText(std::int64_t number, const nc::WrittenBlock& block)
{
    const std::string_view text = block.text;
    std::size_t start = 0;
    while (start < text.size() && text[start] == ' ') {
        ++start;
    }
    if (start >= text.size()) {
        return false;
    }
    const auto first = static_cast<unsigned char>(text[start]);
    const std::string_view rest = text.substr(start);
    // What was not read may have moved the tool: the depth cut so far is not known.
    if (first == '/') {
        depthUnknown_ = depthUnknown_ || namesAnAxis(rest);
        noteUnreadEnd(number, rest);
        if (holdsLetterOrDigit(rest.substr(1))) {
            add(CheckCode::UnreadText, number, "ブロックデリートの行 " + quoted(rest) + " は読まれていません");
        }
        return true;
    }
    if (!isAsciiLetter(first) && first != '(' && first != '-' && first != '%' && first != ';') {
        if (holdsLetterOrDigit(rest)) {
            depthUnknown_ = depthUnknown_ || namesAnAxis(rest);
            noteUnreadEnd(number, rest);
            add(CheckCode::UnreadText, number, quoted(rest) + " で始まる行は読まれていません");
        }
        return true;
    }
    if (block.scanEnd < text.size()) {
        const std::string_view left = text.substr(block.scanEnd);
        const std::size_t unread = firstLetterOrDigit(left);
        if (unread != std::string_view::npos) {
            // Named from its first letter or digit: "G01 X10. (CUT) Y5." names "Y5.".
            const char stop = left[unread];
            // Lower case is the cause only where the reading stopped at the letter itself,
            // not at a tab or a comment before it.
            if (stop >= 'a' && stop <= 'z' && !blockAgain_ &&
                left.find_first_not_of(' ') == unread) {
                ++lowerCaseLines_;
            }
            noteUnreadEnd(number, left.substr(unread));
            depthUnknown_ = depthUnknown_ || namesAnAxis(left.substr(unread));
            std::string message = quoted(left.substr(unread)) + " は読まれていません";
            if (unread > 0) {
                message += " (行の読み取りは " + quoted(left.substr(0, std::min<std::size_t>(unread, 12))) +
                           " で止まっています)";
            }
            add(CheckCode::UnreadText, number, message);
            return true;
        }
    }
    return false;
}

}  // namespace checks
