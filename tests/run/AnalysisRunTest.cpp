#include "run/AnalysisRun.h"
#include "tests/run/RunFixture.h"
#include "util/Cp932.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testsupport::ShownMessage;
using Buttons = util::MessageBoxService::Buttons;
using Result = util::MessageBoxService::Result;
using run::RunOutcome;

class AnalysisRun : public testsupport::RunFixture {};

const std::string kProgram = "O0001\nT1 M06\nG00 X0. Y0. Z100.\nG01 Z-5. F100\nM30\n";

// A full disk is played by /dev/full, which Windows lacks.
#ifdef _WIN32
#define skipWithoutFullDevice() GTEST_SKIP() << "Windows has no full device (/dev/full) to write to"
#else
#define skipWithoutFullDevice() static_cast<void>(0)
#endif

TEST_F(AnalysisRun, CompletedRunOpensTheIndexPage)
{
    const run::RunResult r = runWith(kProgram);
    EXPECT_EQ(r.outcome, RunOutcome::Completed);
    EXPECT_EQ(r.indexPage, util::joinPath(resultDir(), "index.html"));
    EXPECT_EQ(fakes.shell.opened, std::vector<std::string>{util::joinPath(resultDir(), "index.html")});
    EXPECT_TRUE(fakes.messages.shown.empty());
    EXPECT_EQ(result("index.html"), testsupport::kTestIndex);
    EXPECT_EQ(result("jump.html").rfind(testsupport::kTestHeader, 0), 0u);
    EXPECT_GT(fakes.progress.calls, 0);
    EXPECT_EQ(fakes.progress.lastRead, kProgram.size());
    EXPECT_EQ(fakes.progress.lastTotal, kProgram.size());
}

TEST_F(AnalysisRun, MissingNcFile)
{
    settings.ncFile = dir.file("absent.nc");
    EXPECT_EQ(run::AnalysisRun(settings, state, fakes.services()).outcome, RunOutcome::Stopped);
    EXPECT_EQ(fakes.messages.shown, (std::vector<ShownMessage>{{"NCファイルは存在しません！", "ExistsFile", Buttons::Ok}}));
    EXPECT_FALSE(std::filesystem::exists(resultDir()));
    EXPECT_TRUE(fakes.shell.opened.empty());
}

TEST_F(AnalysisRun, FolderGivenAsNcFile)
{
    settings.ncFile = dir.path();
    run::AnalysisRun(settings, state, fakes.services());
    ASSERT_EQ(fakes.messages.shown.size(), 1u);
    EXPECT_EQ(fakes.messages.shown[0].caption, "ExistsFile");
}

TEST_F(AnalysisRun, MissingWorkingFolder)
{
    settings.workingDir = dir.file("nowhere");
    EXPECT_EQ(runWith(kProgram).outcome, RunOutcome::Stopped);
    EXPECT_EQ(fakes.messages.shown,
              (std::vector<ShownMessage>{{"作業フォルダは存在しません！", "ExistsDirectory", Buttons::Ok}}));
}

TEST_F(AnalysisRun, CancelLeavesAnExistingResultFolderUntouched)
{
    std::filesystem::create_directory(resultDir());
    testsupport::writeFile(resultDir() + "/data.html", "old");
    fakes.messages.answers = {Result::Cancel};
    EXPECT_EQ(runWith(kProgram).outcome, RunOutcome::Cancelled);
    EXPECT_EQ(fakes.messages.shown,
              (std::vector<ShownMessage>{{"「" + resultDir() + "」フォルダが存在します\nこの中の結果ファイルは書き換えられます？！",
                                          "ExistsDirectory", Buttons::OkCancel}}));
    EXPECT_EQ(result("data.html"), "old");
    EXPECT_FALSE(std::filesystem::exists(resultDir() + "/index.html"));
}

TEST_F(AnalysisRun, OkOverwritesTheReportFiles)
{
    std::filesystem::create_directory(resultDir());
    testsupport::writeFile(resultDir() + "/data.html", "old content that must go");
    fakes.messages.answers = {Result::Ok};
    EXPECT_EQ(runWith(kProgram).outcome, RunOutcome::Completed);
    EXPECT_EQ(result("data.html").find("old content"), std::string::npos);
}

TEST_F(AnalysisRun, EmptyResultNameWritesIntoTheWorkingFolder)
{
    settings.resultDirName = "";
    EXPECT_EQ(runWith(kProgram).outcome, RunOutcome::Completed);
    ASSERT_EQ(fakes.messages.shown.size(), 1u);
    EXPECT_NE(fakes.messages.shown[0].text.find("「" + util::joinPath(dir.path(), "") + "」"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.file("data.html")));
}

TEST_F(AnalysisRun, BadStartFieldKeepsFolderAndIndexPage)
{
    settings.startY = "1,5";
    EXPECT_EQ(runWith(kProgram).outcome, RunOutcome::Stopped);
    EXPECT_EQ(fakes.errors.shown, std::vector<std::string>{"'1,5' は浮動小数点数ではありません."});
    EXPECT_TRUE(std::filesystem::exists(resultDir() + "/index.html"));
    EXPECT_FALSE(std::filesystem::exists(resultDir() + "/data.html"));
    EXPECT_TRUE(fakes.shell.opened.empty());
}

TEST_F(AnalysisRun, EmptyStartField)
{
    settings.startZ = "";
    runWith(kProgram);
    EXPECT_EQ(fakes.errors.shown, std::vector<std::string>{"'' は浮動小数点数ではありません."});
}

TEST_F(AnalysisRun, BadNumberInTheProgramKeepsWhatWasWritten)
{
    EXPECT_EQ(runWith("G00 X1.\nG01 X-A5\nG00 X2.\n").outcome, RunOutcome::Stopped);
    EXPECT_EQ(fakes.errors.shown, std::vector<std::string>{"'-A5' は浮動小数点数ではありません."});
    const std::string data = result("data.html");
    EXPECT_NE(data.find("G00 X1."), std::string::npos);
    EXPECT_EQ(data.find("G00 X2."), std::string::npos);
    EXPECT_EQ(data.find("</body></html>"), std::string::npos);
    EXPECT_TRUE(fakes.shell.opened.empty());
}

TEST_F(AnalysisRun, PeckDepthZeroEndsTheRun)
{
    runWith("G00 X0. Y0. Z10. F100\nG83 X5. Y5. Z-20. R2. Q0.\n");
    EXPECT_EQ(fakes.errors.shown, std::vector<std::string>{"0 による浮動小数点数除算."});
    EXPECT_TRUE(fakes.shell.opened.empty());
}

TEST_F(AnalysisRun, MissingIndexTemplateGoesOn)
{
    std::filesystem::remove(dir.file("templates/index.html"));
    EXPECT_EQ(runWith(kProgram).outcome, RunOutcome::Completed);
    EXPECT_EQ(fakes.messages.shown, (std::vector<ShownMessage>{{"No Open " + dir.file("templates/index.html"),
                                                                "File Open Error", Buttons::Ok}}));
}

TEST_F(AnalysisRun, MissingHeaderTemplateStartsBothFilesEmpty)
{
    std::filesystem::create_directory(resultDir());
    testsupport::writeFile(resultDir() + "/data.html", "EARLIER RUN");
    testsupport::writeFile(resultDir() + "/jump.html", "EARLIER RUN");
    std::filesystem::remove(dir.file("templates/hedder.txt"));
    EXPECT_EQ(runWith(kProgram).outcome, RunOutcome::Completed);
    const ShownMessage missing{"No Open " + dir.file("templates/hedder.txt"), "File Open Error", Buttons::Ok};
    ASSERT_EQ(fakes.messages.shown.size(), 3u);
    EXPECT_EQ(fakes.messages.shown[1], missing);
    EXPECT_EQ(fakes.messages.shown[2], missing);
    EXPECT_EQ(result("data.html").rfind("<div><table><tbody>\r\n", 0), 0u);
    EXPECT_EQ(result("jump.html").rfind("<div><table><tbody>\r\n", 0), 0u);
}

TEST_F(AnalysisRun, ResultFolderThatCannotBeCreated)
{
    settings.resultDirName = "missing/Result";
    EXPECT_EQ(runWith(kProgram).outcome, RunOutcome::Stopped);
    const std::string resultPath = util::joinPath(dir.path(), "missing/Result");
    EXPECT_EQ(fakes.messages.shown,
              (std::vector<ShownMessage>{{"Can't Create !", "Directory Create", Buttons::Ok},
                                         {"No Open " + util::joinPath(resultPath, "index.html"), "File Open Error", Buttons::Ok},
                                         {"No Open " + util::joinPath(resultPath, "jump.html"), "File Open Error", Buttons::Ok}}));
    EXPECT_TRUE(fakes.shell.opened.empty());
}

TEST_F(AnalysisRun, FullDiskIsAFailureNotASuccess)
{
    skipWithoutFullDevice();
    std::filesystem::create_directory(resultDir());
    std::filesystem::create_symlink("/dev/full", resultDir() + "/data.html");
    EXPECT_EQ(runWith(kProgram).outcome, RunOutcome::Stopped);
    ASSERT_FALSE(fakes.messages.shown.empty());
    EXPECT_EQ(fakes.messages.shown.back(),
              (ShownMessage{"No Write " + util::joinPath(resultDir(), "data.html"), "File Write Error", Buttons::Ok}));
    EXPECT_TRUE(fakes.shell.opened.empty());
}

TEST_F(AnalysisRun, FullDiskDuringTheLoop)
{
    skipWithoutFullDevice();
    std::filesystem::create_directory(resultDir());
    std::filesystem::create_symlink("/dev/full", resultDir() + "/jump.html");
    std::filesystem::remove(dir.file("templates/hedder.txt"));  // nothing to write before the loop
    std::string program;
    for (int i = 0; i < 20000; ++i) {
        program += "G01 X" + std::to_string(i) + ". F100\n";
    }
    EXPECT_EQ(runWith(program).outcome, RunOutcome::Stopped);
    EXPECT_EQ(fakes.messages.shown.back().caption, "File Write Error");
    EXPECT_TRUE(fakes.shell.opened.empty());
}

TEST_F(AnalysisRun, TwoRunsInARowReportOnlyTheirOwnProgram)
{
    runWith("G92X0.Y0.Z0.\nG01 X500. F100\nM30\n");
    fakes.messages.answers = {Result::Ok};
    runWith("G01 X7. F100\nM30\n");
    const std::string data = util::cp932ToUtf8(result("data.html"));
    EXPECT_NE(data.find("＜最終レポート＞<br>\r\n Xmax= +7.000"), std::string::npos);
    EXPECT_EQ(state.entryState, report::EntryState{});
}

TEST_F(AnalysisRun, EndOfFileMarkEndsTheInput)
{
    runWith("G00 X1.\r\nM30\r\n\x1A" "G00 X99.\r\n");
    EXPECT_EQ(result("data.html").find("X99"), std::string::npos);
}

TEST_F(AnalysisRun, LongLinesStayWhole)
{
    const std::string comment = "(" + std::string(300000, 'C') + ")";
    runWith("G00 X1. " + comment + " X2.\nM30\n");
    const std::string data = result("data.html");
    EXPECT_NE(data.find(comment + " X2.\r\n</td>"), std::string::npos);
    EXPECT_EQ(data.find("X2.\r\n</td>\r\n<td"), data.find(comment) + comment.size() + 1);
}

TEST(StartBlock, PlainDecimalWithAPointAlways)
{
    EXPECT_EQ(run::startBlock(0, 0, 200), "G92X0.0Y0.0Z200.0");
    EXPECT_EQ(run::startBlock(12.5, -3, 150.25), "G92X12.5Y-3.0Z150.25");
    EXPECT_EQ(run::startBlock(1e20, 1e-7, -0.0), "G92X100000000000000000000.0Y0.0000001Z0.0");
}

}  // namespace
