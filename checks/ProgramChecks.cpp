#include "checks/ProgramChecks.h"

#include "nc/IsoNcBlock.h"
#include "nc/Markers.h"
#include "util/Cp932.h"
#include "util/Number.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace checks {

namespace {

using nc::MotionKind;

using nc::kMillimetresPerInch;
constexpr std::size_t kShownBytes = 40;  // of NC text quoted in a message

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

// NC text for a message: at most kShownBytes, cut between characters, as UTF-8.
std::string quoted(std::string_view text)
{
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + (util::isCp932LeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1);
        if (next > kShownBytes) {
            return "「" + util::shownText(util::cp932ToUtf8(text.substr(0, end))) + "…」";
        }
        end = next;
    }
    return "「" + util::shownText(util::cp932ToUtf8(text)) + "」";
}

std::string decimal(double value)
{
    return util::formatGeneral(value);
}

std::string word(const nc::ReadWord& w)
{
    return std::string(1, w.letter) + util::shownText(util::cp932ToUtf8(w.text), kShownBytes);
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

bool isCutting(const nc::Motion& m)
{
    return m.kind == MotionKind::Feed || m.kind == MotionKind::Pecks || m.kind == MotionKind::Arc ||
           m.kind == MotionKind::Hole;
}

// Where a move reaches farthest on each axis: its end (and its start with `start`) and,
// for an arc, the quarter points of its circle it passes.
template <class Visit>
void extremes(const nc::Motion& m, bool start, Visit visit)
{
    if (start) {
        visit(m.from);
    }
    visit(m.to);
    if (m.kind == MotionKind::Pecks) {
        // A peck backs out at most as high as the second one does (G73's may pass R).
        nc::Point3 p = m.from;
        p[2] = nc::peckOf(m, 2).out;
        visit(p);
        return;
    }
    if (m.kind != MotionKind::Arc || !(m.sweep > 0.0) || !std::isfinite(m.startAngle)) {
        return;
    }
    const auto a1 = static_cast<std::size_t>(m.axis1);
    const auto a2 = static_cast<std::size_t>(m.axis2);
    const double direction = m.angleIncreasing ? 1.0 : -1.0;
    for (int quarter = 0; quarter < 4; ++quarter) {
        const double angle = quarter * nc::kPi / 2;
        double travel = std::fmod(direction * (angle - m.startAngle), 2 * nc::kPi);
        if (travel < 0.0) {
            travel += 2 * nc::kPi;
        }
        if (travel <= m.sweep) {
            nc::Point3 p = m.from;
            p[a1] = m.centre1 + m.radius * std::cos(angle);
            p[a2] = m.centre2 + m.radius * std::sin(angle);
            const double share = m.sweep > 0.0 ? travel / m.sweep : 0.0;
            const std::size_t third = 3 - a1 - a2;
            p[third] = m.from[third] + (m.to[third] - m.from[third]) * share;
            visit(p);
        }
    }
}

}  // namespace

ProgramChecks::ProgramChecks(CheckSettings settings) : settings_(std::move(settings))
{
    for (const CheckCode code : settings_.ignore) {
        ignored_[static_cast<std::size_t>(code)] = true;
    }
}

void ProgramChecks::add(CheckCode code, std::int64_t line, std::string message)
{
    // One finding per check and line: the first cause on the line names it.
    // Codes not followed are one finding per G or M code, so two of them may share a line.
    const auto index = static_cast<std::size_t>(code);
    // How a block is written is judged once, not again at every pass that runs it.
    if (blockAgain_ && (code == CheckCode::UnreadText || code == CheckCode::PointLessNumber)) {
        return;
    }
    if (ignored_[index] || (lastFindingLine_[index] == line && code != CheckCode::NotFollowed)) {
        return;
    }
    lastFindingLine_[index] = line;
    if (code == CheckCode::UnreadText) {
        firstUnreadLine_ = unreadLines_++ == 0 ? line : firstUnreadLine_;
    } else if (code == CheckCode::PointLessNumber) {
        firstPointlessLine_ = pointlessCount_++ == 0 ? line : firstPointlessLine_;
    }
    // A block run away from the file's order says where it is written.
    if (line == blockLine_ && !blockProgram_.empty()) {
        message += "（" + blockProgram_ + " の " + util::formatInt(blockFileLine_) + " 行目）";
    }
    std::int64_t fileLine = 0;
    if (line == blockLine_ && blockProgram_.empty() && blockFileLine_ != 0 && blockFileLine_ != line) {
        message += "（ファイルの " + util::formatInt(blockFileLine_) + " 行目）";
        fileLine = blockFileLine_;
    }
    findings_.push_back({code, checkInfo(code).severity, line, std::move(message), fileLine});
}

void ProgramChecks::overcut(std::int64_t line, int dNumber, double toolRadius, double arcRadius)
{
    add(CheckCode::Overcut, line,
        (dNumber >= 0 && dNumber < 10 ? "D0" : "D") + util::formatInt(dNumber) + " の工具半径 " + decimal(toolRadius) + " が円弧の半径 " + decimal(arcRadius) +
            " 以上です: 切込過ぎ");
}

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

void ProgramChecks::motion(const nc::Motion& m)
{
    switch (m.kind) {
    case MotionKind::Block:
        blockLine_ = m.line;
        if (!m.block->program.empty() || !blockProgram_.empty()) {
            blockProgram_.assign(m.block->program);
        }
        blockFileLine_ = m.block->fileLine;
        blockAgain_ = m.block->again;
        block(m.line, *m.block);
        return;
    case MotionKind::Call:
        call(m);
        return;
    case MotionKind::Spindle:
        // What stopped a spindle that ran; one that never ran was never started.
        if (spindleRunning_ && m.spindle == nc::SpindleState::Stopped) {
            spindleStop_ = {SpindleStop::Why::M05, m.line};
        }
        spindleRunning_ = m.spindle != nc::SpindleState::Stopped;
        if (spindleRunning_) {
            spindleReported_ = false;
        }
        return;
    case MotionKind::ToolChange:
        // The spindle stops for the change, unless its start stands on the same line.
        if (spindleStartLine_ != m.line) {
            if (spindleRunning_) {
                spindleStop_ = {SpindleStop::Why::ToolChange, m.line};
            }
            spindleRunning_ = false;
        }
        return;
    case MotionKind::ProgramEnd:
        programEnd_ = true;
        return;
    case MotionKind::SectionEnd:
        cut_ = false;
        depthUnknown_ = false;
        return;
    case MotionKind::Hole:
        if (m.noR) {
            add(CheckCode::CycleNoR, m.line, "穴あけサイクルに R がありません: R は 0 (ワーク座標の Z0) として読みます");
        }
        break;
    default:
        break;
    }
    if (m.kind != MotionKind::Rapid && !isCutting(m)) {
        return;
    }
    // Compensation must start and end on a line: the first move after the code that moves
    // in the plane (XY); a move along Z alone is no start.
    const bool inPlane = m.kind == MotionKind::Arc || m.from[0] != m.to[0] || m.from[1] != m.to[1];
    if (compLine_ != 0 && m.kind != MotionKind::Hole && inPlane) {
        if (m.kind == MotionKind::Arc) {
            const std::string code = "G" + util::formatInt(compCode_);
            add(CheckCode::CompOnArc, m.line,
                "工具径補正 " + code + (compCode_ == 40 ? " の終了" : " の開始") + "が円弧になっています" +
                    (compLine_ == m.line ? std::string() : " (" + code + " は " + util::formatInt(compLine_) + " 行)"));
        }
        compLine_ = 0;
    }
    if (isCutting(m)) {
        cutting(m);
    } else if ((m.from[0] != m.to[0] || m.from[1] != m.to[1]) && cut_ && (m.unknownAxes & 4u) == 0 &&
               !depthUnknown_ && std::min(m.from[2], m.to[2]) <= deepestCut_) {
        add(CheckCode::RapidAtDepth, m.line,
            "切削した深さ Z" + decimal(deepestCut_) + " 以下で早送り (G00) しています: Z" +
                decimal(std::min(m.from[2], m.to[2])));
    }
    limits(m);
}

void ProgramChecks::cutting(const nc::Motion& m)
{
    if (m.kind != MotionKind::Hole) {
        const double lower = std::min(m.from[2], m.to[2]);
        deepestCut_ = cut_ ? std::min(deepestCut_, lower) : lower;
        cut_ = true;
        // An arc dips below its ends only on a plane with Z.
        if (m.kind == MotionKind::Arc && m.axis2 == 2) {
            extremes(m, false, [this](const nc::Point3& p) { deepestCut_ = std::min(deepestCut_, p[2]); });
        }
    }
    // On a line not read whole the feed may stand in what was not read: that line's
    // unread text is its finding.
    if (!(m.feed > 0.0) && !feedReported_ && m.line != unreadLine_ && !feedUnknown_) {
        feedReported_ = true;
        add(CheckCode::NoFeed, m.line,
            "送り速度 F が指定されないまま切削しています (F" + decimal(m.feed) + "): 時間は仮の速度で計算されています");
    }
    if (!spindleRunning_ && !spindleReported_) {
        spindleReported_ = true;
        // Say what stopped it: the setter looks there first.
        std::string why = "M03/M04 がありません";
        if (spindleStop_.why == SpindleStop::Why::M05) {
            why = util::formatInt(spindleStop_.line) + " 行の M05 で停止";
        } else if (spindleStop_.why == SpindleStop::Why::ToolChange) {
            why = util::formatInt(spindleStop_.line) + " 行の工具交換で停止";
        }
        add(CheckCode::SpindleStopped, m.line, "主軸が止まったまま切削しています (" + why + ")");
    }
    if (m.kind == MotionKind::Arc && arcByOffsets_) {
        const auto a1 = static_cast<std::size_t>(m.axis1);
        const auto a2 = static_cast<std::size_t>(m.axis2);
        const double start = std::hypot(m.from[a1] - m.centre1, m.from[a2] - m.centre2);
        const double end = std::hypot(m.to[a1] - m.centre1, m.to[a2] - m.centre2);
        const double tolerance = settings_.arcTolerance / (m.inch ? kMillimetresPerInch : 1.0);
        if (std::fabs(end - start) > tolerance) {
            std::string cause;
            if (linePointless_ || lineThousandths_) {
                cause = "。この行の小数点のない数値が 1/1000 として読まれたためです";
            } else {
                // The start may come from such a number on a line before.
                for (const std::size_t axis : {a1, a2}) {
                    const Thousandths& t = thousandths_[axis];
                    if (t.line != 0 && cause.empty()) {
                        cause = std::string("。始点の ") + "XYZ"[axis] + util::shownText(util::cp932ToUtf8(t.text), kShownBytes) +
                                " → " + decimal(t.value) + " (" + util::formatInt(t.line) +
                                " 行) は小数点がなく 1/1000 として読まれています";
                    }
                }
            }
            add(CheckCode::ArcEndOffCircle, m.line,
                "円弧の終点が円の上にありません: 始点の半径 " + util::formatFixed(start, 4) + "、終点の半径 " +
                    util::formatFixed(end, 4) + " (差 " + util::formatFixed(std::fabs(end - start), 4) + ")" + cause);
        }
    }
}

void ProgramChecks::limits(const nc::Motion& m)
{
    if (!settings_.limits[0] && !settings_.limits[1] && !settings_.limits[2]) {
        return;
    }
    // An axis the program has not moved yet stands at the assumed start point: where the
    // machine really is then, nobody said, so it is compared with nothing.
    for (std::size_t k = 0; k < 3; ++k) {
        axisMoved_[k] = axisMoved_[k] || m.from[k] != m.to[k] || m.kind == MotionKind::Arc;
    }
    const double scale = m.inch ? kMillimetresPerInch : 1.0;
    const auto check = [&](const nc::Point3& p) {
        for (std::size_t k = 0; k < 3; ++k) {
            if (!axisMoved_[k] || (m.unknownAxes & (1u << k)) != 0) {
                continue;
            }
            const auto& range = settings_.limits[k];
            const double v = p[k] * scale;
            if (range && (v < range->first || v > range->second)) {
                add(CheckCode::OutsideLimits, m.line,
                    std::string("移動が機械の範囲の外に出ます: ") + "XYZ"[k] + util::formatFixed(v, 3) + " mm (範囲 " +
                        decimal(range->first) + " から " + decimal(range->second) + ")");
                return;
            }
        }
    };
    extremes(m, false, check);
}

void ProgramChecks::finish(bool completed, std::int64_t lastLine)
{
    // A reason that covers many lines is one finding that names it and what to do; the
    // lines stay countable. Most of the program unread is an error: its figures say little.
    constexpr std::int64_t kFlood = 20;
    if (unreadLines_ >= kFlood) {
        const bool most = unreadLines_ * 2 > blocks_;
        const std::string share = util::formatInt(unreadLines_) + " 行 (全 " + util::formatInt(blocks_) + " ブロックの " +
                                  util::formatInt(blocks_ > 0 ? unreadLines_ * 100 / blocks_ : 100) + "%)";
        const bool lowerCase = lowerCaseLines_ * 2 > unreadLines_;
        add(most ? CheckCode::NotRead : CheckCode::Widespread, firstUnreadLine_,
            lowerCase ? share + " で小文字の語が読まれていません: この読み方は行頭の文字のほかは大文字だけを読みます。"
                        "小文字を読む機械なら、マシンプロファイルに letters = \"any\" を"
                      : share + " に読まれない文字があります: 最初は " + util::formatInt(firstUnreadLine_) +
                            " 行。図と時間は読めた語だけで求めています (数値のない語は 0 と読んでいます)");
    }
    if (pointlessCount_ >= kFlood) {
        add(CheckCode::Widespread, firstPointlessLine_,
            util::formatInt(pointlessCount_) +
                " 個の小数点のない数値が 1/1000 (インチでは 1/10000) として読まれています: 機械が整数を mm (インチ) "
                "として読むなら、マシンプロファイルに decimal_point_input = \"whole\" を");
    }
    if (completed && !programEnd_ && lastLine > 0) {
        // An end written where it was not read is not missing: it is not read.
        add(CheckCode::NoProgramEnd, lastLine,
            unreadEndLine_ != 0 ? "プログラム終了 " + quoted(unreadEnd_) + " (" + util::formatInt(unreadEndLine_) +
                                      " 行) は読まれていません"
                                : std::string("プログラム終了 M02/M30 がありません"));
    }
    for (const auto& [code, u] : unfollowed_) {
        add(CheckCode::NotFollowed, u.firstLine,
            code + " は追跡していません (" + util::formatInt(u.lines) +
                " 行): 時間と図は機械と異なることがあります");
    }
}

void ProgramChecks::call(const nc::Motion& m)
{
    const std::string label(m.text);
    switch (m.call) {
    case nc::CallEvent::Pass:
        return;
    case nc::CallEvent::Missing:
        add(CheckCode::SubprogramMissing, m.line,
            label == "P" ? "呼び出すプログラムの P がありません: 何も呼び出しません"
            : label.starts_with('N')
                ? label + " の行がありません: その呼出し・戻りはないものとして読みます"
                : label + " が見つかりません（このファイル、NC ファイルのフォルダ、プロファイルの [programs] folders）: 呼出しは何もしません");
        return;
    case nc::CallEvent::Recursion:
        add(CheckCode::SubprogramRecursion, m.line, label + " はすでに実行中です（再帰呼出し）: 呼出しは行いません");
        return;
    case nc::CallEvent::TooDeep:
        add(CheckCode::CallNesting, m.line, "呼出しの入れ子が制御の上限を超えます: " + label + " は呼び出しません");
        return;
    case nc::CallEvent::Endless:
        programEnd_ = true;
        add(CheckCode::EndlessRepeat, m.line, "メインプログラムの M99: 機械は先頭から繰り返し続けます。1 回分を解析しました");
        return;
    case nc::CallEvent::BlockLimit:
        programEnd_ = true;  // the run stopped there: no end is missing
        add(CheckCode::BlockLimit, m.line,
            "呼出しと繰返しで実行したブロックが " + util::formatInt(m.count) + " を超えました: 解析はここで止まりました");
        return;
    }
}

void ProgramChecks::stopped(std::int64_t line, const std::string& why)
{
    add(CheckCode::RunStopped, line, "解析はこの行で止まりました: " + why + "。図と時間はここまでの分です");
}

std::vector<Finding> ProgramChecks::takeFindings()
{
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return std::move(findings_);
}

}  // namespace checks
