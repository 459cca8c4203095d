#include "report/BlockEntries.h"
#include "report/CycleNames.h"
#include "tests/nc/AnalyzerSupport.h"
#include "tests/support/FakeRadiusPrompt.h"
#include "util/Cp932.h"
#include "util/UserError.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using nc::WordSlot;

// Feeds lines as a run does and reads each line's entry back as UTF-8.
class Entries : public testing::Test {
protected:
    void start(bool offsetCheck = false, std::string_view startBlock = "G92X0.0Y0.0Z200.0")
    {
        entries = std::make_unique<report::BlockEntries>(state, radius, prompt, offsetCheck);
        analyzer = std::make_unique<nc::IsoNcAnalyzer>();
        nctest::startRun(*analyzer, startBlock);
    }

    std::string entry(std::string_view line)
    {
        if (!entries) {
            start();
        }
        analyzer->setLine(line);
        return util::cp932ToUtf8(entries->blockEntry(*analyzer, line));
    }

    std::vector<std::string> entriesOf(std::initializer_list<std::string_view> lines)
    {
        std::vector<std::string> result;
        for (const auto line : lines) {
            result.push_back(entry(line));
        }
        return result;
    }

    report::EntryState state;
    report::RadiusCache radius;
    testsupport::FakeRadiusPrompt prompt;
    std::unique_ptr<report::BlockEntries> entries;
    std::unique_ptr<nc::IsoNcAnalyzer> analyzer;
};

const std::string kG81Name = std::string(report::cycleName(81));

TEST_F(Entries, LineExample)
{
    start(false, "G92X0.Y10.Z-5.");
    EXPECT_EQ(entry("G01 X10. Y20. F300"),
              "<div class=\"LINE\">(直線):X 10.000   Y 20.000   Z-5.000   A45.000   L14.142   F300     </div>\n");
}

TEST_F(Entries, ArcExampleShowsClockwiseAsNegativeRadius)
{
    start(false, "G92X0.Y20.Z-2.");
    EXPECT_EQ(entry("G02 X10. Y10. J-10. F200"),
              "<div class=\"ARC\">(円弧):Xc0.000    Yc10.000   R-10.000  Z-2.000   L15.708   F200     </div>\n");
    EXPECT_EQ(entry("G03 X20. Y20. I10."),
              "<div class=\"ARC\">(円弧):Xc20.000   Yc10.000   R10.000   Z-2.000   L47.124   F200     </div>\n");
}

TEST_F(Entries, CompensationStartWithItsLine)
{
    start(false, "G92X0.Y0.Z0.");
    EXPECT_EQ(entry("G41 G01 X10. D01 F100"),
              "<div class=\"HOSEI-NO\">＜ G41  D01   L10.000   ＞</div>"
              "<div class=\"LINE\">(直線):X 10.000   Y 0.000    Z0.000    A0.000    L10.000   F100     </div>\n");
    EXPECT_TRUE(state.compMarkerShown);
    EXPECT_EQ(entry("G40 G01 X20."), "<div class=\"HOSEI-NO\">＜  G40  ＞</div>\n");
    EXPECT_FALSE(state.compMarkerShown);
}

TEST_F(Entries, CompensationStartWithRapidShowsTheMarkerAlone)
{
    start(false, "G92X0.Y0.Z0.");
    EXPECT_EQ(entry("G42 G00 X10. D12"), "<div class=\"HOSEI-NO\">＜ G42  D12   L10.000   ＞</div>");
}

TEST_F(Entries, CycleGroupHeadingHolesAndCount)
{
    start(false, "G92X0.Y0.Z2.");
    entry("(DIA 10.)");
    entry("F100");
    EXPECT_EQ(entry("G99 G81 X10. Y20. Z-5. R2."),
              "<div class=\"CYCLE\">" + kG81Name +
                  "<div class=\"CYCLE\">Z-5.000  (-2.000  肩) R点2.00    復帰点2.00   </div>"
                  "<div class=\"CYCLE\">(1   ):X 10.000   Y 20.000  </div></div>");
    EXPECT_EQ(entry("X20."), "<div class=\"CYCLE\">(2   ):X 20.000   Y 20.000  </div>");
    EXPECT_EQ(entry("X30."), "<div class=\"CYCLE\">(3   ):X 30.000   Y 20.000  </div>");
    EXPECT_EQ(entry("G80"), "<div class=\"CYCLE\">(穴数):3 個</div>\n");
    EXPECT_EQ(state, report::EntryState{});
}

TEST_F(Entries, CountWaitsForALineNoMotionRowTakes)
{
    start(false, "G92X0.Y0.Z2.");
    entriesOf({"F100", "G81 X10. Y20. Z-5. R2.", "X20."});
    EXPECT_EQ(entry("G01 X30."),
              "<div class=\"LINE\">(直線):X 30.000   Y 20.000   Z-5.000   A0.000    L10.000   F100     </div>\n");
    EXPECT_EQ(entry("G00 X40."), "<div class=\"CYCLE\">(穴数):2 個</div>\n");
}

TEST_F(Entries, CountOnTheCancellingRapidLine)
{
    start(false, "G92X0.Y0.Z2.");
    const auto e = entriesOf({"F100", "G00 G81 X10. Y20. Z-5. R2.", "X20.", "X30.", "G80 G00 X0."});
    EXPECT_EQ(e[4], "<div class=\"CYCLE\">(穴数):3 個</div>\n");
}

TEST_F(Entries, StopSwallowsTheCount)
{
    start(false, "G92X0.Y0.Z2.");
    const auto e = entriesOf({"F100", "G00 G81 X10. Y20. Z-5. R2.", "G80 M00", "G00 X5."});
    EXPECT_EQ(e[2], "<div class=\"M00\">(ストップ)</div>\n");
    EXPECT_EQ(e[3], "<div class=\"G00\">(早送):X 5.000    Y 20.000   Zs-5.000   Ze-5.000   L5.000   </div>\n");
    EXPECT_FALSE(state.cycleHeadingShown);
}

TEST_F(Entries, CycleUnderFeedMotionIsListedAsTheMotion)
{
    start(false, "G92X0.Y0.Z0.");
    entry("G01 F100");
    entry("G81 X10. Y20. Z-5. R2.");  // a hole: no motion measured under a cycle
    // Still in the cycle with G01 in force: the block is listed as a linear move, with the
    // length of the hole it books.
    EXPECT_EQ(entry("X20."),
              "<div class=\"LINE\">(直線):X 20.000   Y 20.000   Z-5.000   A0.000    L7.000    F100     </div>\n");
}

TEST_F(Entries, RapidThatMovesNothingIsEmpty)
{
    start(false, "G92X0.Y0.Z0.");
    EXPECT_EQ(entry("G00 X0."), "");
    EXPECT_EQ(entry("G00 X5."),
              "<div class=\"G00\">(早送):X 5.000    Y 0.000    Zs0.000    Ze0.000    L5.000   </div>\n");
}

TEST_F(Entries, FeedMoveThatMovesNothingKeepsTheLastAngle)
{
    start(false, "G92X0.Y0.Z0.");
    entry("G01 X0. Y10. F100");
    EXPECT_EQ(entry("M08"),
              "<div class=\"LINE\">(直線):X 0.000    Y 10.000   Z0.000    A90.000   L0.000    F100     </div>\n");
}

TEST_F(Entries, VerticalAndSlope)
{
    start(false, "G92X0.Y0.Z0.");
    EXPECT_EQ(entry("G01 Z-5. F100"),
              "<div class=\"VERTICAL\">(垂直):X 0.000    Y 0.000    Zs0.000    Ze-5.000   L5.000    F100     </div>\n");
    EXPECT_EQ(entry("X5. Z-10."),
              "<div class=\"SLOPE\">(傾斜):X 5.000    Y 0.000    Zs-5.000   Ze-10.000  A45.000   F100      </div>\n");
}

TEST_F(Entries, FullCircleNeedsACentreOffset)
{
    start(false, "G92X10.Y0.Z0.");
    EXPECT_EQ(entry("G03 I-10. F100"),
              "<div class=\"CIR\">(真円):Xc0.000    Yc0.000    R10.000   Z0.000    L62.832   F100     </div>\n");
    // A line that moves neither X nor Y and gives no offset is no circle.
    EXPECT_EQ(entry("M08"), "");
    EXPECT_EQ(entry("(COMMENT)"), "");
    EXPECT_EQ(entry("G02 Z-1. J5."),
              "<div class=\"CIR\">(真円):Xc10.000   Yc5.000    R-5.000   Z-1.000   L31.416   F100     </div>\n");
}

TEST_F(Entries, ToolChangeUnderAModalArcIsNoCircle)
{
    start(false, "G92X10.Y0.Z0.");
    entry("G03 I-10. F100");
    analyzer->setLine("T2 M06");
    analyzer->setLine("M99998");
    analyzer->setWordValue(WordSlot::M, 99997);
    EXPECT_EQ(util::cp932ToUtf8(entries->blockEntry(*analyzer, "T2 M06")), "");
}

struct OneShotCase {
    std::string name;
    std::string line;
    std::string expected;
};

class OneShots : public Entries, public testing::WithParamInterface<OneShotCase> {};

TEST_P(OneShots, ReplaceTheEntryAndDoNotRepeat)
{
    start(false, "G92X0.Y0.Z0.");
    entry("G01 X1. F100");
    EXPECT_EQ(entry(GetParam().line), GetParam().expected);
    const std::string next = entry("X2.");
    EXPECT_NE(next.find("LINE"), std::string::npos) << next;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, OneShots,
    testing::Values(OneShotCase{"Dwell", "G04 P500", "<div class=\"G04\">(ドウェル)</div>\n"},
                    OneShotCase{"Stop", "X5. M00", "<div class=\"M00\">(ストップ)</div>\n"},
                    OneShotCase{"OptionalStop", "M01", "<div class=\"M01\">(オプショナルストップ)</div>\n"},
                    OneShotCase{"DwellAndStop", "G04 X1. M00", "<div class=\"M00\">(ストップ)</div>\n"},
                    OneShotCase{"DwellAndOptionalStop", "G04 M01", "<div class=\"M01\">(オプショナルストップ)</div>\n"}),
    [](const auto& info) { return info.param.name; });

TEST_F(Entries, ReplacedStartMarkerStillCounts)
{
    start(false, "G92X0.Y0.Z0.");
    EXPECT_EQ(entry("G41 G01 X5. D1 F100 M01"), "<div class=\"M01\">(オプショナルストップ)</div>\n");
    EXPECT_TRUE(state.compMarkerShown);
}

TEST_F(Entries, WideNumbersAreNeverCut)
{
    start(false, "G92X0.Y0.Z0.");
    EXPECT_EQ(entry("G01 X123456. F100"),
              "<div class=\"LINE\">(直線):X 123456.000 Y 0.000    Z0.000    A0.000    L123456.000 F100     </div>\n");
    report::EntryState s;
    report::RadiusCache r;
    report::BlockEntries writer(s, r, prompt, false);
    nc::IsoNcAnalyzer fresh;
    fresh.setLine("G01 F10.");
    report::EntryText text;
    writer.lineEntry(fresh, text);
    std::string out;
    text.render(out);
    EXPECT_EQ(util::cp932ToUtf8(out),
              "<div class=\"LINE\">(直線):X -99999.000 Y -99999.000 Z-99999.000 A0.000    L0.000    F10      </div>\n");
}

TEST_F(Entries, ResetClearsEveryField)
{
    state = {true, true, 7};
    report::resetEntryState(state);
    EXPECT_EQ(state, report::EntryState{});
}

TEST(CycleNames, KnownAndUnknownCodes)
{
    EXPECT_EQ(report::cycleName(82), "ドリルサイクル（座ｸﾞﾘ）");
    EXPECT_EQ(util::toCp932(report::cycleName(82)).substr(util::toCp932(report::cycleName(82)).size() - 5),
              "\xB8\xDE\xD8\x81\x6A");
    EXPECT_EQ(report::cycleName(75), "未知のサイクル");
    EXPECT_EQ(report::cycleName(90), "未知のサイクル");
    EXPECT_EQ(report::cycleName(72), "未知のサイクル");
    EXPECT_EQ(report::cycleName(80), "固定サイクルキャンセル");
}

TEST(HtmlEscape, OnlyAmpersandAndAngleBrackets)
{
    std::string out;
    report::appendEscapedHtml(out, "(DEPTH<5) & \"x\" <script>\x83\x5C");
    EXPECT_EQ(out, "(DEPTH&lt;5) &amp; \"x\" &lt;script&gt;\x83\x5C");
}

TEST(RadiusPromptText, TwoDigitsAtLeast)
{
    EXPECT_EQ(report::radiusPromptText(1), "D01 = ?");
    EXPECT_EQ(report::radiusPromptText(12), "D12 = ?");
    EXPECT_EQ(report::radiusPromptText(123), "D123 = ?");
}

}  // namespace
