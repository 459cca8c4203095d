#include "report/BlockEntries.h"
#include "tests/nc/AnalyzerSupport.h"
#include "tests/support/FakeRadiusPrompt.h"
#include "util/UserError.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kOvercutMark = "\x90\xD8\x8D\x9E\x89\xDF\x82\xAC";  // 切込過ぎ in code page 932

struct CheckedRun {
    report::EntryState state;
    report::RadiusCache* cache;
    testsupport::FakeRadiusPrompt* prompt;
    report::BlockEntries entries;
    nc::IsoNcAnalyzer analyzer;

    CheckedRun(report::RadiusCache& c, testsupport::FakeRadiusPrompt& p, bool check, std::string_view startBlock)
        : cache(&c), prompt(&p), entries(state, c, p, check)
    {
        nctest::startRun(analyzer, startBlock);
    }

    // Whether each line's entry carries the over-cut line.
    std::vector<bool> overcuts(std::initializer_list<std::string_view> lines)
    {
        std::vector<bool> result;
        for (const auto line : lines) {
            analyzer.setLine(line);
            result.push_back(entries.blockEntry(analyzer, line).find(kOvercutMark) != std::string::npos);
        }
        return result;
    }
};

using Flags = std::vector<bool>;

TEST(OvercutCheck, OffByDefaultAsksNothing)
{
    report::RadiusCache cache;
    testsupport::FakeRadiusPrompt prompt;
    CheckedRun run(cache, prompt, false, "G92X0.Y0.Z0.");
    EXPECT_EQ(run.overcuts({"G41 G01 X5. D1 F100", "G03 X15. I5."}), (Flags{false, false}));
    EXPECT_TRUE(prompt.asked.empty());
}

struct OvercutCase {
    std::string name;
    std::string compensation;
    std::string arc;
    std::string answer;
    bool overcut;
};

class InsideArcs : public testing::TestWithParam<OvercutCase> {};

TEST_P(InsideArcs, ToolRadiusNotSmallerThanTheArcIsAnOvercut)
{
    const OvercutCase& c = GetParam();
    report::RadiusCache cache;
    testsupport::FakeRadiusPrompt prompt;
    prompt.answers = {c.answer};
    CheckedRun run(cache, prompt, true, "G92X0.Y0.Z0.");
    const Flags flags = run.overcuts({c.compensation, c.arc});
    EXPECT_EQ(flags[1], c.overcut);
    EXPECT_EQ(prompt.asked, std::vector<std::string>{"D01 = ?"});
    EXPECT_EQ(cache.lastAskedD, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InsideArcs,
    testing::Values(OvercutCase{"G41G03EqualRadii", "G41 G01 X5. D1 F100", "G03 X15. I5.", "5", true},
                    OvercutCase{"G41G02TurnsAway", "G41 G01 X5. D1 F100", "G02 X15. I5.", "5", false},
                    OvercutCase{"G42G02", "G42 G01 X5. D1 F100", "G02 X13. I4.", "5", true},
                    OvercutCase{"G42G03TurnsAway", "G42 G01 X5. D1 F100", "G03 X13. I4.", "5", false},
                    OvercutCase{"SmallerTool", "G41 G01 X5. D1 F100", "G03 X15. I5.", "4.999", false},
                    OvercutCase{"FullCircle", "G41 G01 X5. D1 F100", "G03 I-5.", "5.", true}),
    [](const auto& info) { return info.param.name; });

TEST(OvercutCheck, OnePromptPerNewDNumber)
{
    report::RadiusCache cache;
    testsupport::FakeRadiusPrompt prompt;
    prompt.answers = {"1", "1", "1"};
    CheckedRun run(cache, prompt, true, "G92X0.Y0.Z0.");
    run.overcuts({"G41 G01 X5. D1 F100", "G03 X15. I5.", "G03 X25. I5.", "G41 D2", "G03 X35. I5.",
                  "G41 D1", "G03 X45. I5."});
    EXPECT_EQ(prompt.asked, (std::vector<std::string>{"D01 = ?", "D02 = ?", "D01 = ?"}));
}

TEST(OvercutCheck, DZeroNeverAsksAndUsesTheLastValue)
{
    report::RadiusCache cache{7, 10.0};
    testsupport::FakeRadiusPrompt prompt;
    CheckedRun run(cache, prompt, true, "G92X0.Y0.Z0.");
    EXPECT_EQ(run.overcuts({"G41 G01 X5. D00 F100", "G03 X15. I5."}), (Flags{false, true}));
    EXPECT_TRUE(prompt.asked.empty());
}

TEST(OvercutCheck, ClosedPromptIsNotRepeatedAndKeepsTheValue)
{
    report::RadiusCache cache;
    testsupport::FakeRadiusPrompt prompt;
    CheckedRun run(cache, prompt, true, "G92X0.Y0.Z0.");
    EXPECT_EQ(run.overcuts({"G41 G01 X5. D3 F100", "G03 X15. I5.", "G03 X25. I5."}), (Flags{false, false, false}));
    EXPECT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(cache.compToolDiameter, 0.0);
}

TEST(OvercutCheck, PromptComesEvenForAnArcTurningAway)
{
    report::RadiusCache cache;
    testsupport::FakeRadiusPrompt prompt;
    prompt.answers = {"2.5"};
    CheckedRun run(cache, prompt, true, "G92X0.Y0.Z0.");
    run.overcuts({"G41 G01 X5. D4 F100", "G02 X15. I5."});
    EXPECT_EQ(prompt.asked, std::vector<std::string>{"D04 = ?"});
    EXPECT_EQ(cache.compToolDiameter, 5.0);
}

TEST(OvercutCheck, CacheOutlivesTheRun)
{
    report::RadiusCache cache;
    testsupport::FakeRadiusPrompt prompt;
    prompt.answers = {"5"};
    {
        CheckedRun first(cache, prompt, true, "G92X0.Y0.Z0.");
        first.overcuts({"G41 G01 X5. D1 F100", "G03 X15. I5."});
    }
    CheckedRun second(cache, prompt, true, "G92X0.Y0.Z0.");
    EXPECT_EQ(second.overcuts({"G41 G01 X5. D1 F100", "G03 X15. I5."}), (Flags{false, true}));
    EXPECT_EQ(prompt.asked.size(), 1u);
}

TEST(OvercutCheck, NonNumberAnswerIsAConversionError)
{
    report::RadiusCache cache;
    testsupport::FakeRadiusPrompt prompt;
    prompt.answers = {"abc"};
    CheckedRun run(cache, prompt, true, "G92X0.Y0.Z0.");
    run.overcuts({"G41 G01 X5. D1 F100"});
    run.analyzer.setLine("G03 X15. I5.");
    try {
        run.entries.blockEntry(run.analyzer, "G03 X15. I5.");
        FAIL() << "no exception";
    } catch (const util::ConversionError& e) {
        EXPECT_STREQ(e.what(), "'abc' は浮動小数点数ではありません");
    }
    EXPECT_EQ(cache.lastAskedD, 1);
    EXPECT_EQ(cache.compToolDiameter, 0.0);
}

}  // namespace
