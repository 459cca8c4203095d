#include "checks/ProgramChecks.h"

#include "checks/CheckText.h"
#include "nc/IsoNcBlock.h"
#include "nc/Markers.h"
#include "util/Cp932.h"
#include "util/Number.h"

#include <algorithm>
#include <cmath>

namespace checks {

namespace {

using nc::MotionKind;
using nc::kMillimetresPerInch;

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
