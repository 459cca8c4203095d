// Each check on lines that must find something and lines that must not; a program runs
// through the interpreter and the motion stream into the checks as a run does.
#include "checks/ProgramChecks.h"
#include "nc/IsoNcAnalyzer.h"
#include "nc/MotionEmitter.h"
#include "util/Number.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

struct CheckCase {
    std::string name;
    std::string program;                // lines separated by "\n"; the spindle runs unless the case says
    std::vector<std::string> expected;  // "code@line" of the checked code, in line order
    std::string code;                   // the check under test
    checks::CheckSettings settings = {};
};

std::vector<checks::Finding> findingsOf(const std::string& program, const checks::CheckSettings& settings)
{
    nc::IsoNcAnalyzer analyzer;
    analyzer.setLine("G92X0.Y0.Z100.");
    nc::MotionEmitter emitter;
    checks::ProgramChecks checks(settings);
    emitter.addSink(checks);
    emitter.start(0, 0, 100);
    std::int64_t number = 0;
    std::size_t start = 0;
    while (start <= program.size()) {
        const std::size_t end = std::min(program.find('\n', start), program.size());
        const std::string line = program.substr(start, end - start);
        start = end + 1;
        analyzer.setLine(line);
        emitter.block(analyzer, ++number);
    }
    checks.finish(true, number);
    return checks.takeFindings();
}

class Checks : public testing::TestWithParam<CheckCase> {};

TEST_P(Checks, FindWhatTheyShouldAndNothingElse)
{
    const CheckCase& c = GetParam();
    std::vector<std::string> found;
    for (const checks::Finding& f : findingsOf(c.program, c.settings)) {
        EXPECT_FALSE(f.message.empty());
        if (checks::codeName(f.code) == c.code) {
            found.push_back(c.code + "@" + util::formatInt(f.line));
        }
    }
    EXPECT_EQ(found, c.expected);
}

// The spindle runs and the feed is set from the first line on, unless a case is about them.
const std::string kRun = "S1000 M03 F200\n";

checks::CheckSettings box()
{
    checks::CheckSettings s;
    s.limits[0] = std::pair{-100.0, 100.0};
    s.limits[2] = std::pair{-50.0, 150.0};
    return s;
}

checks::CheckSettings lowBox()
{
    checks::CheckSettings s;
    s.limits[2] = std::pair{-50.0, 50.0};
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Checks,
    testing::Values(
        // unread-text
        CheckCase{"LowerCaseWords", kRun + "G01 X50. y20.\ng01 x5.\nG01 X10. (CUT) Y5.\nM30", {"unread-text@2", "unread-text@3", "unread-text@4"}, "unread-text"},
        CheckCase{"LinesTheReaderSkips", kRun + "/G01 X5.\n#100=5\n[VECTRIC]\n10 G01 X1.\nM30", {"unread-text@2", "unread-text@3", "unread-text@4", "unread-text@5"}, "unread-text"},
        CheckCase{"LetterWithoutNumberOrSkippedText", kRun + "F24 Z\nG82 R1. Z-1. P F15.\nG80\nM30", {"unread-text@2", "unread-text@3"}, "unread-text"},
        CheckCase{"CommentsSeparatorsAndJapanese", kRun + "(T1 DIA 10.)\n%\n;note\n--------\n/\n\x8D\x48\x8B\xEF (\x8D\x48\x8B\xEF)\nG01 X1. (A) ;B\nM30", {}, "unread-text"},
        // no-feed
        CheckCase{"FeedNeverGiven", "S1000 M03\nG01 X10.\nX20.\nF0\nX30.\nF100\nX40.\nF0\nX50.\nM30", {"no-feed@2", "no-feed@9"}, "no-feed"},
        CheckCase{"HoleBeforeAnyFeed", "S1000 M03\nG99 G81 X1. Y1. Z-5. R2.\nX5. F100\nG80\nM30", {"no-feed@2"}, "no-feed"},
        CheckCase{"FeedOnTheCuttingLineCounts", "S1000 M03\nG00 X1.\nG01 X10. F100\nG02 X20. I5.\nM30", {}, "no-feed"},
        // point-less-number
        CheckCase{"NoPointAfterPoints", kRun + "G01 X31.\nX31 Y2\nG04 X2\nG02 X40. R5\nM30", {"point-less-number@3", "point-less-number@5"}, "point-less-number"},
        CheckCase{"NoPointBeforeAnyPointOrZero", kRun + "G01 X31 Y0\nX0 Z0\nG01 X1. Z0\nG81 X2. R2 Z-1.\nG80\nM30", {}, "point-less-number"},
        CheckCase{"EarlierWordOfTheSameLine", kRun + "G01 Z-1. X31\nM30", {"point-less-number@2"}, "point-less-number"},
        CheckCase{"WholeUnitsMachine", kRun + "G01 X31.\nX31\nM30", {}, "point-less-number", checks::CheckSettings{{}, 0.01, {}, true}},
        // spindle-stopped
        CheckCase{"CutBeforeTheSpindleRuns", "F100\nG01 X10.\nX20.\nM03 S500\nX30.\nM05\nX40.\nM30", {"spindle-stopped@2", "spindle-stopped@7"}, "spindle-stopped"},
        CheckCase{"SeveralMCodesOnALine", "F100\nS764 M3 M8\nG01 X10.\nM30", {}, "spindle-stopped"},
        CheckCase{"ToolChangeStopsTheSpindle", "F100\nM03 S500\nG01 X10.\nT2 M06\nG01 X20.\nM03\nX30.\nM30", {"spindle-stopped@5"}, "spindle-stopped"},
        // M05 on a feed retract stops the spindle after the move; the next cut has none.
        CheckCase{"StopOnTheRetractActsAfterIt", "F100\nS500 M03\nG01 Z-1.\nG01 Z5. M05\nG01 X10.\nM30", {"spindle-stopped@5"}, "spindle-stopped"},
        CheckCase{"RapidsNeedNoSpindle", "G00 X10. Y10.\nM30", {}, "spindle-stopped"},
        CheckCase{"StartOnTheToolChangeLine", "F100\nM03 S500\nG01 X10.\nT2 M03 M06\nG01 X20.\nT3 M06 S900 M03\nG00 Z5.\nG01 Z-1.\nM30", {}, "spindle-stopped"},
        CheckCase{"SameStartAfterAToolChange", "F100\nS1000 M03\nG01 X1.\nT2 M06\nX5. S1000 M03\nG01 Z-1.\nM30", {}, "spindle-stopped"},
        CheckCase{"NegativeFeed", "S500 M03\nG01 X10. F-100\nM30", {"no-feed@2"}, "no-feed"},
        // A feed that stands in text not read (an empty P took F's number) is that text's
        // finding, not a cut without feed; a later one still counts.
        CheckCase{"FeedInTextNotRead", "S500 M03\nG99 G82 R0.1 Z-1. P F15.04\nX5.\nG80\nG01 X10. F0\nM30", {"no-feed@5"}, "no-feed"},
        // arc-end-off-circle
        CheckCase{"EndOffTheCircle", kRun + "G01 X0. Y0.\nG03 X31 Y26.377 I3.241 J3.947\nG03 X10.031 Y26.377 I5. J0.\nM30", {"arc-end-off-circle@3"}, "arc-end-off-circle"},
        CheckCase{"RadiusArcsAndExactEnds", kRun + "G01 X0. Y0.\nG02 X10. Y0. R5.\nG02 X20. Y0. I5. J0.\nG03 X20.005 I-5.\nM30", {}, "arc-end-off-circle"},
        // comp-on-arc
        CheckCase{"CompensationOnAnArc", kRun + "G41 G02 X10. Y0. I5. D1\nG40 G01 X0.\nG42 D2\nG03 X10. I5.\nG40\nG03 X20. I5.\nM30", {"comp-on-arc@2", "comp-on-arc@5", "comp-on-arc@7"}, "comp-on-arc"},
        CheckCase{"CompensationStartPassesAMoveAlongZ", kRun + "G41 D01\nG01 Z-1.\nG03 X10. Y10. I5.\nG40 G01 X0.\nM30", {"comp-on-arc@4"}, "comp-on-arc"},
        CheckCase{"CompensationOnALine", kRun + "G41 G01 X10. D1\nG02 X20. I5.\nG40 G01 X0.\nG42 D1\nG01 X5.\nG03 X15. I5.\nM30", {}, "comp-on-arc"},
        // rapid-at-depth
        CheckCase{"RapidAtCuttingDepth", kRun + "G00 X0. Y0. Z5.\nG01 Z-5.\nX50.\nG00 X0.\nZ5.\nX10.\nM30", {"rapid-at-depth@5"}, "rapid-at-depth"},
        CheckCase{"RapidsBetweenHolesStayAtTheReturnLevel", kRun + "G00 X0. Y0. Z10.\nG99 G81 X1. Z-5. R2.\nX10.\nX20.\nG80\nG00 Z50.\nM30", {}, "rapid-at-depth"},
        CheckCase{"NewToolSectionStartsAfresh", kRun + "G01 Z-5.\nG00 Z5.\nT2 M06\nM03\nG00 X10. Z-6.\nM30", {}, "rapid-at-depth"},
        // Text not read that names an axis may have moved the tool: the depth cut is not
        // known for the rest of the section (words after a comment; a letter with no number).
        CheckCase{"DepthNotKnownAfterUnreadMoves", kRun + "G01 Z-5.\nG03 (ARC) I5. Z-12.\nG00 X10. Z-8.\nT2 M06\nM03\n"
                  "G00 Z5.\nG01 Z-2.\nG00 X5.\nM30", {"rapid-at-depth@9"}, "rapid-at-depth"},
        CheckCase{"ALetterWithoutNumberIsNoDepth", kRun + "G01 Z0.5 F100\nG00 Z5.\nF24 Z\nG00 X10.\nM30", {}, "rapid-at-depth"},
        // outside-limits
        CheckCase{"LeavesTheBox", kRun + "G00 X50. Z10.\nG01 X150.\nG00 X50.\nG00 Z-60.\nM30", {"outside-limits@3", "outside-limits@5"}, "outside-limits", box()},
        CheckCase{"ArcExtremeLeavesTheBox", kRun + "G00 X90. Y0. Z10.\nG02 X90. Y0. I10. J0.\nM30", {"outside-limits@3"}, "outside-limits", box()},
        // The runs start at Z100, above this box: only where the program moves counts.
        CheckCase{"TheAssumedStartIsNoMoveOfTheProgram", kRun + "G00 X10. Y10.\nG00 Z20.\nG00 Z80.\nM30", {"outside-limits@4"}, "outside-limits", lowBox()},
        CheckCase{"NoLimitsNoCheck", kRun + "G00 X5000.\nM30", {}, "outside-limits"},
        // no-program-end
        CheckCase{"NoEnd", kRun + "G01 X1.", {"no-program-end@2"}, "no-program-end"},
        CheckCase{"EndAmongOtherMCodes", kRun + "G01 X1.\nM05 M30", {}, "no-program-end"},
        // not-followed
        CheckCase{"CodesNotFollowed", kRun + "G54 G00 X0.\nG52 Z0.\nG91 G28.1 Z0.\nG55 X1.\nG56 X2.\nG55\nG10 L2 P1 X0.\nG68.2 X0\nG33.1 Z-1. K0.05\nM30", {"not-followed@3", "not-followed@5", "not-followed@6", "not-followed@8", "not-followed@9", "not-followed@10"}, "not-followed"},
        CheckCase{"TwoCodesOnOneLine", kRun + "G91 G52 Z0. G68 X0\nM30", {"not-followed@2", "not-followed@2"}, "not-followed"},
        CheckCase{"OneWorkOffset", kRun + "G54 G00 X0.\nG54 X1.\nM30", {}, "not-followed"}),
    [](const auto& info) { return info.param.name; });

// A reason that covers many lines is one finding that names it, at error level when most
// of the program is not read; an arc off its circle because of a number read in
// thousandths says so.
TEST(Checks, FloodsNameTheirCause)
{
    std::string lower = kRun;
    for (int i = 0; i < 30; ++i) {
        lower += "G01 x" + std::to_string(i) + ". y1.\n";
    }
    lower += "M30";
    const auto findings = findingsOf(lower, {});
    const auto cause = std::find_if(findings.begin(), findings.end(),
                                    [](const checks::Finding& f) { return f.code == checks::CheckCode::NotRead; });
    ASSERT_NE(cause, findings.end());
    EXPECT_EQ(cause->line, 2);
    EXPECT_NE(cause->message.find("letters = \"any\""), std::string::npos) << cause->message;

    std::string some = kRun + "G01 X1.\n";
    for (int i = 0; i < 40; ++i) {
        some += i < 21 ? "G01 X2. (A) Y3.\n" : "G01 X3.\n";
    }
    some += "M30";
    const auto few = findingsOf(some, {});
    EXPECT_EQ(std::count_if(few.begin(), few.end(), [](const auto& f) { return f.code == checks::CheckCode::Widespread; }),
              1);
    EXPECT_EQ(std::count_if(few.begin(), few.end(), [](const auto& f) { return f.code == checks::CheckCode::NotRead; }), 0);

    const auto arc = findingsOf(kRun + "G01 X0. Y0.\nG02 X20 Y0. I10. J0.\nM30", {});
    const auto off = std::find_if(arc.begin(), arc.end(),
                                  [](const checks::Finding& f) { return f.code == checks::CheckCode::ArcEndOffCircle; });
    ASSERT_NE(off, arc.end());
    EXPECT_NE(off->message.find("1/1000"), std::string::npos) << off->message;

    // The start set so on a line before, or on the arc's own line before any point was
    // seen: the message names it too.
    for (const auto& [program, named] :
         {std::pair{kRun + "G01 X26.377 Y31\nG03 X26.937 Y30.161 I4.507 J2.402\nM30", "始点の Y31 → 0.031 (2 行)"},
          // Set again with a point between: the last number without one is named.
          std::pair{kRun + "G01 X26.377 Y32\nY31.\nY31\nG03 X26.937 Y30.161 I4.507 J2.402\nM30", "始点の Y31 → 0.031 (4 行)"},
          std::pair{std::string("S500 M03 F100\nG00 X50 Y50\nG03 X65 Y50 I7.5 J0\nM30"), "この行の小数点のない数値"}}) {
        const auto found = findingsOf(program, {});
        const auto arcOff = std::find_if(found.begin(), found.end(), [](const checks::Finding& f) {
            return f.code == checks::CheckCode::ArcEndOffCircle;
        });
        ASSERT_NE(arcOff, found.end()) << program;
        EXPECT_NE(arcOff->message.find(named), std::string::npos) << arcOff->message;
    }
    // Set again with a point: the start is as written, and an arc off its circle for
    // another reason names no number.
    const auto again = findingsOf(kRun + "G01 X26.377 Y31\nY31.\nG03 X26.937 Y30.161 I4.507 J2.5\nM30", {});
    const auto offAgain = std::find_if(again.begin(), again.end(), [](const checks::Finding& f) {
        return f.code == checks::CheckCode::ArcEndOffCircle;
    });
    ASSERT_NE(offAgain, again.end());
    EXPECT_EQ(offAgain->message.find("始点の Y"), std::string::npos) << offAgain->message;
}

TEST(Checks, MessagesNameTheWordsAndCountLines)
{
    const auto findings = findingsOf(kRun + "G01 X31.\nX31\nG52 Z0.\nG52 X0.\nM30", {});
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_NE(findings[0].message.find("X31 → 0.031"), std::string::npos) << findings[0].message;
    EXPECT_NE(findings[1].message.find("G52"), std::string::npos);
    EXPECT_NE(findings[1].message.find("(2 行)"), std::string::npos) << findings[1].message;
}

// A setter looks first at what stopped the spindle.
TEST(Checks, SpindleStoppedSaysWhatStoppedIt)
{
    const auto messageOf = [](const std::string& program) {
        for (const checks::Finding& f : findingsOf(program, {})) {
            if (f.code == checks::CheckCode::SpindleStopped) {
                return f.message;
            }
        }
        return std::string();
    };
    EXPECT_EQ(messageOf("F100\nG01 X1.\nM30"), "主軸が止まったまま切削しています (M03/M04 がありません)");
    // A tool change before any start stopped nothing.
    EXPECT_EQ(messageOf("F100\nT1 M06\nG01 X1.\nM30"), "主軸が止まったまま切削しています (M03/M04 がありません)");
    EXPECT_EQ(messageOf("F100\nM03 S500\nG01 X1.\nM05\nX2.\nM30"), "主軸が止まったまま切削しています (4 行の M05 で停止)");
    EXPECT_EQ(messageOf("F100\nM03 S500\nG01 X1.\nT2 M06\nX2.\nM30"),
              "主軸が止まったまま切削しています (4 行の工具交換で停止)");
}

TEST(Checks, IgnoredCodesAreLeftOut)
{
    checks::CheckSettings settings;
    settings.ignore = {checks::CheckCode::NoProgramEnd, checks::CheckCode::SpindleStopped};
    EXPECT_TRUE(findingsOf("F100\nG01 X1.", settings).empty());
}

TEST(Checks, EveryCodeIsItsOwnNameAndNoOtherTextIsACode)
{
    for (const checks::CheckInfo& info : checks::allChecks()) {
        EXPECT_EQ(checks::checkCodeOf(info.name), info.code) << info.name;
        EXPECT_STREQ(checks::codeName(info.code), info.name);
    }
    for (const char* typo : {"", "no_feed", "No-Feed", "no-feed ", "overcuts", "unread"}) {
        EXPECT_FALSE(checks::checkCodeOf(typo).has_value()) << typo;
    }
}

}  // namespace
