// The setup sheet and the run's record: the tool descriptions, the sheet's life beside
// the report, and its bounds on a long program.
#include "sheet/SheetPage.h"
#include "sheet/PictureSvg.h"
#include "tests/run/RunFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>

namespace {

class Sheet : public testsupport::RunFixture {};

struct DescriptionCase {
    std::string name;
    std::string program;
    std::vector<std::string> descriptions;
};

class Descriptions : public testsupport::RunFixture, public testing::WithParamInterface<DescriptionCase> {};

TEST_P(Descriptions, NameEachToolSection)
{
    const run::RunResult r = runWith(GetParam().program);
    ASSERT_EQ(r.outcome, run::RunOutcome::Completed);
    std::vector<std::string> descriptions;
    for (const record::SectionRecord& s : r.record->sections) {
        descriptions.push_back(s.description);
    }
    EXPECT_EQ(descriptions, GetParam().descriptions);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Descriptions,
    testing::Values(
        DescriptionCase{"OnTheToolChangeLine", "T1 M06 (FACE MILL)\nG00 X10.\nT2 M06 (DRILL 5)\nG00 X20.\nM30\n",
                        {"FACE MILL", "DRILL 5"}},
        DescriptionCase{"OnTheTLine", "T1 (ROUGHER)\nM06\nG00 X10.\nM30\n", {"ROUGHER"}},
        DescriptionCase{"CommentLineBeforeTheChange", "(T1 FACE MILL DIA 50.)\nT1 M06\nG00 X10.\nM30\n",
                        {"T1 FACE MILL DIA 50."}},
        DescriptionCase{"FirstCommentLineAfterTheChange", "T3 M06\nG00 X1.\n(CHAMFER 90)\n(OTHER)\nG00 X10.\nM30\n",
                        {"CHAMFER 90"}},
        DescriptionCase{"NoneAtAll", "T4 M06\nG00 X10.\nM30\n", {""}},
        // An empty comment line after the change says the tool has no name.
        DescriptionCase{"AnEmptyCommentLineEndsTheWait", "T5 M06\n()\n(ROUGH POCKET)\nG00 X10.\nM30\n", {""}}),
    [](const auto& info) { return info.param.name; });

TEST_F(Sheet, RecordHoldsProgramHolesAndOvercuts)
{
    settings.offsetCheck = true;
    fakes.radius.answers = {"5"};
    const run::RunResult r = runWith("O0042 (BRACKET)\n(SECOND)\nT1 M06\nG00 X0. Y0. Z5. F100\n"
                                     "G81 X10. Y10. Z-5. R2.\nX20.\nG80\nG83 X30. Y10. Z-9. R2. Q3.\nG80\n"
                                     "G41 G01 X5. D1\nG03 X15. I5.\nG40 G01 X0.\nM30\n");
    ASSERT_EQ(r.outcome, run::RunOutcome::Completed);
    const record::ProgramRecord& record = *r.record;
    EXPECT_EQ(record.name, "O0042");
    EXPECT_EQ(record.comment, "BRACKET");
    ASSERT_EQ(record.sections.size(), 1u);
    EXPECT_EQ(record.sections[0].holes, (std::map<int, std::int64_t>{{81, 2}, {83, 1}}));
    EXPECT_EQ(record.sections[0].overcutLines, std::vector<std::int64_t>{11});
    EXPECT_EQ(record.sections[0].firstLine, 4);
    EXPECT_EQ(record.sections[0].anchor, "T1_1");
    EXPECT_EQ(record.overcutCount, 1);
    const std::string sheet = result("sheet.html");
    EXPECT_NE(sheet.find("G81 × 2"), std::string::npos);
    EXPECT_NE(sheet.find("<a href=\"data.html#T1_1\">"), std::string::npos);
    EXPECT_NE(sheet.find("<path class=\"f\""), std::string::npos);
    EXPECT_NE(sheet.find(" A"), std::string::npos);  // the arc drawn as an arc
    EXPECT_NE(sheet.find("<circle class=\"h\""), std::string::npos);
    EXPECT_EQ(r.sheet, util::joinPath(resultDir(), "sheet.html"));
}

// The report links to the sheet: no page may link to a file that is not there.
TEST_F(Sheet, EveryLinkToTheSheetFindsOne)
{
    // A run that ends early leaves a sheet that says so, with what was read.
    ASSERT_EQ(runWith("G00 X10.\nM30\n").outcome, run::RunOutcome::Completed);
    fakes.messages.answers = {util::MessageBoxService::Result::Ok};
    const run::RunResult failed = runWith("S500 M03\nG01 X10. F100\nG01 X-A5\nM30\n");
    EXPECT_EQ(failed.outcome, run::RunOutcome::Stopped);
    EXPECT_EQ(failed.record->outcome, record::RecordOutcome::Failed);
    EXPECT_EQ(failed.record->messages.back(), "'-A5' は浮動小数点数ではありません.");
    EXPECT_TRUE(failed.sheet.empty());
    const std::string sheet = result("sheet.html");
    EXPECT_NE(sheet.find("解析は NC行 3 で途中終了しました: '-A5' は浮動小数点数ではありません."),
              std::string::npos)
        << sheet.substr(0, 3000);
    EXPECT_NE(sheet.find("<svg"), std::string::npos);

    // Without a sheet, neither the listing nor the tool index links to one.
    fakes.messages.answers = {util::MessageBoxService::Result::Ok};
    settings.writeSheet = false;
    ASSERT_EQ(runWith("G00 X10.\nM30\n").outcome, run::RunOutcome::Completed);
    EXPECT_FALSE(std::filesystem::exists(resultDir() + "/sheet.html"));
    for (const char* page : {"data.html", "jump.html"}) {
        EXPECT_EQ(result(page).find("sheet.html"), std::string::npos) << page;
    }
}

// A long program of many tools, dense zigzags and holes stays within the sheet's bounds.
TEST_F(Sheet, StaysBoundedOnALongProgram)
{
    std::string program;
    for (int tool = 1; tool <= 40; ++tool) {
        program += "T" + std::to_string(tool) + " M06 (TOOL " + std::to_string(tool) + ")\nG00 X0. Y0. Z5.\nG01 Z-1. F500\n";
        for (int i = 0; i < 2500; ++i) {
            program += "X" + std::to_string((i * 7919 + tool) % 20000) + " Y" + std::to_string((i * 104729) % 15000) +
                       "\n";
            if (i % 100 == 0) {
                program += "G02 X" + std::to_string(i % 20000) + " Y0 R5000\n";
            }
        }
        program += "G00 Z5.\nG81 X0. Y0. Z-5. R2.\n";
        for (int h = 0; h < 200; ++h) {
            program += "X" + std::to_string(h * 97 % 20000) + " Y" + std::to_string(h * 31 % 15000) + "\n";
        }
        program += "G80\n";
    }
    program += "M30\n";
    ASSERT_EQ(runWith(program).outcome, run::RunOutcome::Completed);
    const std::string sheet = result("sheet.html");
    EXPECT_LT(sheet.size(), 4u * 1024 * 1024);
    std::size_t pictures = 0;
    for (std::size_t at = sheet.find("<svg"); at != std::string::npos; at = sheet.find("<svg", at + 1)) {
        EXPECT_LT(sheet.find("</svg>", at) - at, 256u * 1024);
        ++pictures;
    }
    EXPECT_EQ(pictures, 41u);
}

}  // namespace
