// Hostile input and failing platforms: every case ends in a completed report or a clear
// message, never a crash or a hang, and touches nothing outside the result folder.
#include "run/AnalysisRun.h"
#include "tests/run/RunFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace {

using run::RunOutcome;

class FaultSuite : public testsupport::RunFixture {
protected:
    // Every path below the temporary folder, outside the result folder.
    std::set<std::string> outsideResult() const
    {
        std::set<std::string> paths;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
            const std::string p = entry.path().string();
            if (p.rfind(resultDir(), 0) != 0) {
                paths.insert(p + ":" + (entry.is_regular_file() ? std::to_string(entry.file_size()) : "d"));
            }
        }
        return paths;
    }

    // Runs the program and checks the ending: completed with the page closed, or stopped
    // with a message the user saw.
    RunOutcome runToAnEnd(const std::string& program)
    {
        testsupport::writeFile(settings.ncFile, program);
        const auto before = outsideResult();
        const run::RunResult r = run::AnalysisRun(settings, state, fakes.services());
        EXPECT_EQ(outsideResult(), before);
        if (r.outcome == RunOutcome::Completed) {
            const std::string data = result("data.html");
            EXPECT_EQ(data.substr(data.size() - 16), "</body></html>\r\n");
        } else {
            EXPECT_FALSE(fakes.messages.shown.empty() && fakes.errors.shown.empty());
        }
        return r.outcome;
    }
};

TEST_F(FaultSuite, RandomBytes)
{
    std::string bytes;
    std::uint32_t state32 = 12345;
    for (int i = 0; i < 1 << 20; ++i) {
        state32 = state32 * 1664525u + 1013904223u;
        bytes += static_cast<char>(state32 >> 24);
    }
    runToAnEnd(bytes);
}

TEST_F(FaultSuite, NulBytesInsideLines)
{
    EXPECT_EQ(runToAnEnd(std::string("G01 X1.\0 Y2. F100\n\0\0\nM30\n", 26)), RunOutcome::Completed);
    EXPECT_NE(result("data.html").find(std::string("G01 X1.\0 Y2. F100", 17)), std::string::npos);
}

TEST_F(FaultSuite, FiftyMegabyteLine)
{
    std::string line = "G01 X1. F100 (";
    line.append(50u << 20, 'C');
    line += ")\nM30\n";
    EXPECT_EQ(runToAnEnd(line), RunOutcome::Completed);
}

TEST_F(FaultSuite, LeadByteAtTheEndOfALine)
{
    EXPECT_EQ(runToAnEnd("(COMMENT \x83\n(\x83\nG00 X1.\x83\nM30\x81"), RunOutcome::Completed);
}

TEST_F(FaultSuite, CarriageReturnsAloneEndLines)
{
    EXPECT_EQ(runToAnEnd("G92X0.Y0.Z0.\rG01 X10. F100\rY10.\rM30\r"), RunOutcome::Completed);
    const std::string data = result("data.html");
    EXPECT_NE(data.find("<tr><td class=\"DATA2\">\r\nG01 X10. F100\r\n</td>"), std::string::npos);
    EXPECT_NE(data.find("Y 10.000"), std::string::npos);
}

TEST_F(FaultSuite, CrLfSplitAcrossReads)
{
    std::string program(65535, ' ');
    program += "\r\nG01 X3. F100\r\nM30\r\n";
    EXPECT_EQ(runToAnEnd(program), RunOutcome::Completed);
    const std::string data = result("data.html");
    // The LF after the CR at the end of the first read starts no extra empty line.
    EXPECT_EQ(data.find("<tr><td class=\"DATA2\">\r\nG01 X3. F100\r\n"), data.find("<tr><td class=\"DATA2\">"));
}

TEST_F(FaultSuite, Utf8ByteOrderMark)
{
    EXPECT_EQ(runToAnEnd("\xEF\xBB\xBF(TAP)\nG01 X1. F100\nM30\n"), RunOutcome::Completed);
}

TEST_F(FaultSuite, HundredThousandToolChanges)
{
    std::string program;
    for (int t = 0; t < 100000; ++t) {
        program += "T" + std::to_string(t % 50 + 1) + " M06\nG01 X" + std::to_string(t % 7) + ". F100\n";
    }
    program += "M30\n";
    EXPECT_EQ(runToAnEnd(program), RunOutcome::Completed);
    EXPECT_NE(result("jump.html").find("#T50_100000\""), std::string::npos);
}

TEST_F(FaultSuite, ResultFolderUnderAFile)
{
    testsupport::writeFile(dir.file("plain"), "x");
    settings.resultDirName = "plain/Result";
    EXPECT_EQ(runToAnEnd("M30\n"), RunOutcome::Stopped);
    EXPECT_EQ(fakes.messages.shown.front().text, "Can't Create !");
}

TEST_F(FaultSuite, WorkingFolderIsAFile)
{
    testsupport::writeFile(dir.file("plain"), "x");
    settings.workingDir = dir.file("plain");
    EXPECT_EQ(runToAnEnd("M30\n"), RunOutcome::Stopped);
    EXPECT_EQ(fakes.messages.shown.front().caption, "ExistsDirectory");
}

TEST_F(FaultSuite, TemplatesThatCannotBeRead)
{
    std::filesystem::remove(dir.file("templates/hedder.txt"));
    std::filesystem::remove(dir.file("templates/index.html"));
    std::filesystem::create_directory(dir.file("templates/hedder.txt"));
    std::filesystem::create_directory(dir.file("templates/index.html"));
    EXPECT_EQ(runToAnEnd("G01 X1. F100\nM30\n"), RunOutcome::Completed);
    const std::string header = "No Open " + dir.file("templates/hedder.txt");
    ASSERT_EQ(fakes.messages.shown.size(), 3u);
    EXPECT_EQ(fakes.messages.shown[0].text, "No Open " + dir.file("templates/index.html"));
    EXPECT_EQ(fakes.messages.shown[1].text, header);
    EXPECT_EQ(fakes.messages.shown[2].text, header);
    EXPECT_EQ(result("data.html").rfind("<div><table><tbody>\r\n", 0), 0u);
}

TEST_F(FaultSuite, NcFileVanishesAfterTheCheck)
{
    std::filesystem::create_directory(resultDir());
    // The user deletes the file while the overwrite question is open.
    struct DeletingMessageBox : util::MessageBoxService {
        std::string victim;
        std::vector<std::string> texts;
        Result showMessage(const std::string& text, const std::string&, Buttons) override
        {
            texts.push_back(text);
            std::filesystem::remove(victim);
            return Result::Ok;
        }
    } messages;
    messages.victim = settings.ncFile;
    testsupport::writeFile(settings.ncFile, "M30\n");
    const run::Services services{messages, fakes.errors, fakes.shell, fakes.radius, fakes.progress};
    EXPECT_EQ(run::AnalysisRun(settings, state, services).outcome, RunOutcome::Stopped);
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(messages.texts[1], "No Open " + settings.ncFile);
    EXPECT_TRUE(fakes.shell.opened.empty());
}

}  // namespace
