// The window's state and actions without a toolkit: what every front end shows and does.
#include "tests/support/FakeServices.h"
#include "tests/support/FakeWindowDialogs.h"
#include "tests/support/TempDir.h"
#include "util/File.h"
#include "window/Messages.h"
#include "window/WindowState.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class NoProgress : public run::Progress {
public:
    void progress(std::uint64_t, std::uint64_t) override {}
};

class WindowState : public testing::Test {
protected:
    WindowState()
    {
        std::filesystem::create_directory(util::nativePath(dir.file("templates")));
        testsupport::writeFile(dir.file("templates/hedder.txt"), "<html><body>\r\n");
        testsupport::writeFile(dir.file("templates/index.html"), "<html></html>\r\n");
    }

    testsupport::TempDir dir;
    testsupport::FakeServices fakes;
    testsupport::FakeFileChooser chooser;
    testsupport::FakeFolderBrowser browser;
    window::Dialogs dialogs{fakes.messages, fakes.errors, fakes.shell, fakes.radius, chooser, browser};
    window::WindowState state{dialogs, dir.file("templates")};
    NoProgress progress;
};

TEST_F(WindowState, StartsWithTheDefaults)
{
    const window::Fields& f = state.fields;
    EXPECT_EQ(f.ncFile, "");
    EXPECT_EQ(f.workingDir, "");
    EXPECT_EQ(f.resultDir, "Result");
    EXPECT_EQ(f.startX + "," + f.startY + "," + f.startZ, "0,0,200");
    EXPECT_FALSE(f.offsetCheck);
    EXPECT_EQ(f.panel, window::messages::kDropPrompt);
}

// Every way a file comes in fills the file, and an empty working folder with its folder;
// a working folder the user gave stays.
TEST_F(WindowState, AFileFromAnySourceFillsAnEmptyWorkingFolder)
{
    const std::string part = util::joinPath(dir.file("nc"), "part.nc");
    const auto check = [&](const char* how) {
        EXPECT_EQ(state.fields.ncFile, part) << how;
        EXPECT_EQ(state.ncFilePath(), part) << how;
        EXPECT_EQ(state.fields.workingDir, dir.file("nc")) << how;
        state.clear();
        EXPECT_EQ(state.fields.ncFile + state.fields.workingDir + state.ncFilePath(), "") << how;
    };
    chooser.answers = {part};
    state.chooseFile();
    check("chosen");
    state.typedFile(part);
    state.fileFieldLeft();
    check("typed");
    // Of several files dropped the last holds; the first filled the working folder.
    state.dropFiles({dir.file("other.nc"), part});
    EXPECT_EQ(state.fields.ncFile, part);
    EXPECT_EQ(state.fields.workingDir, util::folderOf(dir.file("other.nc")));
    state.clear();
    state.takeArguments({"brelvane", "--grab", "shot.png", part});
    check("argument");

    state.fields.workingDir = dir.file("out");
    state.dropFiles({part});
    EXPECT_EQ(state.fields.workingDir, dir.file("out"));
    EXPECT_EQ(chooser.asked.size(), 1u);
}

TEST_F(WindowState, FolderChooserAndClearKeepTheRest)
{
    browser.answer = dir.file("out");
    state.chooseFolder();
    EXPECT_EQ(state.fields.workingDir, dir.file("out"));
    EXPECT_EQ(browser.captions, std::vector<std::string>{window::messages::kFolderBrowserCaption});
    state.fields.resultDir = "R2";
    state.fields.startZ = "50";
    state.fields.offsetCheck = true;
    state.clear();
    EXPECT_EQ(state.fields.workingDir, "");
    EXPECT_EQ(state.fields.resultDir, "R2");
    EXPECT_EQ(state.fields.startZ, "50");
    EXPECT_TRUE(state.fields.offsetCheck);
}

// A run that finds errors says so on the panel, and the panel then opens the sheet.
TEST_F(WindowState, StartRunsAndErrorsOpenTheSheet)
{
    testsupport::writeFile(dir.file("part.nc"), "G92X0.Y0.Z0.\nG41 G01 X5. D1 F100\nG03 X15. I5.\nM30\n");
    state.dropFiles({dir.file("part.nc")});
    state.fields.offsetCheck = true;
    fakes.radius.answers = {"5"};
    state.start(progress);
    ASSERT_EQ(state.lastRun().outcome, run::RunOutcome::Completed);
    EXPECT_EQ(fakes.radius.asked, std::vector<std::string>{"D01 = ?"});
    EXPECT_EQ(state.fields.panel, "NCデータをドロップ\n\nチェック: エラー 2 件");
    ASSERT_TRUE(state.hasCheckErrors());
    state.openFindings();
    EXPECT_EQ(fakes.shell.opened,
              (std::vector<std::string>{util::joinPath(dir.file("Result"), "index.html"),
                                        util::joinPath(dir.file("Result"), "sheet.html")}));

    // A run without errors clears the line; the overwrite question comes first.
    testsupport::writeFile(dir.file("part.nc"), "S1000 M03\nG01 X5. F100\nM30\n");
    fakes.messages.answers = {util::MessageBoxService::Result::Ok};
    state.start(progress);
    EXPECT_EQ(state.fields.panel, window::messages::kDropPrompt);
    EXPECT_FALSE(state.hasCheckErrors());
}

TEST_F(WindowState, ABadStartFieldIsAnErrorAndNoRun)
{
    testsupport::writeFile(dir.file("part.nc"), "M30\n");
    state.dropFiles({dir.file("part.nc")});
    state.fields.startX = "abc";
    state.start(progress);
    EXPECT_EQ(fakes.errors.shown, std::vector<std::string>{"'abc' は浮動小数点数ではありません."});
    EXPECT_TRUE(fakes.shell.opened.empty());
}

}  // namespace
