// A program dropped on brelvane-cli from the desktop: the run with the defaults and every
// word of it in message boxes, here with a scripted desktop.
#include "cli/DesktopStart.h"
#include "run/Messages.h"
#include "tests/support/Golden.h"
#include "tests/support/TempDir.h"
#include "util/File.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct DesktopStartCase {
    std::vector<std::string> args;
    bool fromDesktop;
    bool desktopStart;
};

class DesktopStartArgs : public testing::TestWithParam<DesktopStartCase> {};

TEST_P(DesktopStartArgs, AreOneFileFromTheDesktop)
{
    EXPECT_EQ(cli::isDesktopStart(GetParam().args, GetParam().fromDesktop), GetParam().desktopStart);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DesktopStartArgs,
    testing::Values(DesktopStartCase{{"brelvane-cli", "C:\\NC\\part.nc"}, true, true},
                    DesktopStartCase{{"brelvane-cli", "C:\\NC\\part.nc"}, false, false},  // typed at a prompt
                    DesktopStartCase{{"brelvane-cli", "--help"}, true, false},
                    DesktopStartCase{{"brelvane-cli", "a.nc", "b.nc"}, true, false},
                    DesktopStartCase{{"brelvane-cli"}, true, false}, DesktopStartCase{{"brelvane-cli", ""}, true, false}));

struct Box {
    std::string text;
    std::string caption;
    bool okCancel;
    bool error;
};

class DesktopStart : public testing::Test {
protected:
    cli::Desktop desktop()
    {
        return {[this](const std::string& text, const std::string& caption, bool okCancel, bool error) {
                    boxes.push_back({text, caption, okCancel, error});
                    return answer;
                },
                [this](const std::string& path) {
                    opened.push_back(path);
                    return openWorks;
                }};
    }
    int run(const std::string& ncFile)
    {
        return cli::runFromDesktop(ncFile, (testsupport::goldenRoot() / "templates").string(), desktop());
    }

    testsupport::TempDir dir;
    std::vector<Box> boxes;
    std::vector<std::string> opened;
    bool answer = true;
    bool openWorks = true;
};

TEST_F(DesktopStart, WritesTheReportBesideTheProgramAndOpensIt)
{
    testsupport::writeFile(dir.file("part.nc"), "O0001\nT1 M06\nG00 X0. Y0. Z10. S1000 M03\nG01 Z-1. F100\nM30\n");
    EXPECT_EQ(run(dir.file("part.nc")), 0);
    const std::string index = util::joinPath(dir.file("Result"), "index.html");
    EXPECT_EQ(opened, std::vector<std::string>{index});
    EXPECT_TRUE(util::isFile(util::joinPath(dir.file("Result"), "sheet.html")));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DesktopStart, SaysWhatWentWrongInAnErrorBox)
{
    EXPECT_EQ(run(dir.file("missing.nc")), 1);
    ASSERT_EQ(boxes.size(), 1u);
    // The classic message, and the file it means under it.
    EXPECT_EQ(boxes[0].text, std::string(run::messages::kNcFileMissing) + "\n\n" + dir.file("missing.nc"));
    EXPECT_FALSE(boxes[0].okCancel);
    EXPECT_TRUE(boxes[0].error);
    EXPECT_TRUE(opened.empty());
}

// Errors the checks found are said in a box that offers the sheet listing them all.
TEST_F(DesktopStart, ErrorFindingsOfferTheSheet)
{
    std::string program;
    for (int i = 1; i <= 7; ++i) {
        program += "G02 X" + std::to_string(5 * i) + ". Y0. I1. J0. F100\n";  // each ends off its circle
    }
    testsupport::writeFile(dir.file("part.nc"), "S1000 M03\n" + program + "M30\n");
    for (const bool answerOk : {true, false}) {
        boxes.clear();
        opened.clear();
        answer = answerOk;
        std::filesystem::remove_all(util::nativePath(dir.file("Result")));
        EXPECT_EQ(run(dir.file("part.nc")), 0);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(boxes[0].okCancel);
        EXPECT_FALSE(boxes[0].error);
        EXPECT_TRUE(boxes[0].text.starts_with("プログラムチェックでエラーが 7 件見つかりました。\n\n2 行: "))
            << boxes[0].text;
        EXPECT_NE(boxes[0].text.find("ほか 2 件\n"), std::string::npos) << boxes[0].text;
        const std::string index = util::joinPath(dir.file("Result"), "index.html");
        const std::string sheet = util::joinPath(dir.file("Result"), "sheet.html");
        const std::vector<std::string> expected = answerOk ? std::vector<std::string>{index, sheet}
                                                           : std::vector<std::string>{index};
        EXPECT_EQ(opened, expected);
    }
}

TEST_F(DesktopStart, AsksBeforeOverwritingAndStopsOnCancel)
{
    testsupport::writeFile(dir.file("part.nc"), "G01 X1. F100\nM30\n");
    std::filesystem::create_directory(util::nativePath(dir.file("Result")));
    answer = false;
    EXPECT_EQ(run(dir.file("part.nc")), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].okCancel);
    EXPECT_TRUE(opened.empty());
}

TEST_F(DesktopStart, AReportNothingOpensIsSaid)
{
    testsupport::writeFile(dir.file("part.nc"), "S1000 M03\nG01 X1. F100\nM30\n");
    openWorks = false;
    EXPECT_EQ(run(dir.file("part.nc")), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No program to open " + util::joinPath(dir.file("Result"), "index.html"));
}

}  // namespace
