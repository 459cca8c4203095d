// The Win32 window driven by its messages, as a user's clicks and keys reach it: the
// fields filled, the start pressed, the real radius prompt and message box answered by
// a timer that finds them; the Result folder shows what happened.
#include "tests/support/FakeServices.h"
#include "tests/support/FakeWindowDialogs.h"
#include "tests/support/TempDir.h"
#include "util/File.h"
#include "win32/MainWindow.h"
#include "win32/Win32Dialogs.h"
#include "win32/Win32Text.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>

namespace {

using win32::MainWindow;

// What the timer does to the next modal window it finds: type into the radius prompt
// and press OK, or press a message box's button.
struct Answer {
    bool radius;
    std::wstring text;  // the radius typed
    int button;         // IDOK or IDCANCEL
};

std::deque<Answer> gAnswers;
std::vector<std::wstring> gSeen;  // the class of each modal window answered, and its text

BOOL CALLBACK answerOne(HWND hwnd, LPARAM)
{
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    // Both are dialogs; the prompt has its field.
    const bool dialog = std::wstring(cls) == L"#32770";
    const bool prompt = dialog && GetDlgItem(hwnd, win32::kRadiusFieldId) != nullptr;
    if (!IsWindowVisible(hwnd) || !dialog || gAnswers.empty()) {
        return TRUE;
    }
    const Answer answer = gAnswers.front();
    gAnswers.pop_front();
    if (prompt) {
        SetWindowTextW(GetDlgItem(hwnd, win32::kRadiusFieldId), answer.text.c_str());
        gSeen.push_back(std::wstring(L"prompt: ") +
                        util::toWide(win32::windowText(GetDlgItem(hwnd, win32::kRadiusQuestionId))));
    } else {
        gSeen.push_back(L"box: " + util::toWide(win32::windowText(hwnd)));
    }
    PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED), 0);
    return FALSE;
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), answerOne, 0);
}

class Win32Window : public testing::Test {
protected:
    Win32Window()
    {
        std::filesystem::create_directory(util::nativePath(dir.file("templates")));
        testsupport::writeFile(dir.file("templates/hedder.txt"), "<html><body>\r\n");
        testsupport::writeFile(dir.file("templates/index.html"), "<html></html>\r\n");
        hwnd = window.create(0, 0);
        real.setOwner(hwnd);
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        timer = SetTimer(nullptr, 0, 50, onTimer);
        gAnswers.clear();
        gSeen.clear();
    }
    ~Win32Window() override
    {
        KillTimer(nullptr, timer);
        DestroyWindow(hwnd);
        // The window's end asks the program to quit; a test goes on.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    void type(MainWindow::Control id, const std::string& text)
    {
        SetWindowTextW(window.control(id), util::toWide(text).c_str());
    }
    void press(MainWindow::Control id)
    {
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(window.control(id)));
    }

    testsupport::TempDir dir;
    testsupport::FakeServices fakes;
    testsupport::FakeFileChooser chooser;
    testsupport::FakeFolderBrowser browser;
    win32::Win32Dialogs real;
    window::Dialogs dialogs{real, real, fakes.shell, real, chooser, browser};
    MainWindow window{dialogs, dir.file("templates")};
    HWND hwnd = nullptr;
    UINT_PTR timer = 0;
};

TEST_F(Win32Window, ShowsTheDefaultsAndTheDropPrompt)
{
    EXPECT_EQ(win32::windowText(window.control(MainWindow::ResultDir)), "Result");
    EXPECT_EQ(win32::windowText(window.control(MainWindow::StartZ)), "200");
    EXPECT_EQ(SendMessageW(window.control(MainWindow::OffsetOff), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(win32::windowText(window.control(MainWindow::DropPanel)), "\nNCデータをドロップ");
    EXPECT_EQ(win32::windowText(hwnd), "Brelvane");
}

TEST_F(Win32Window, TypedStartedAnsweredThenOverwriteCancelled)
{
    testsupport::writeFile(dir.file("part.nc"), "G92X0.Y0.Z0.\nG41 G01 X5. D1 F100\nG03 X15. I5.\nM30\n");
    type(MainWindow::NcFile, dir.file("part.nc"));
    type(MainWindow::WorkingDir, util::folderOf(dir.file("part.nc")));
    SendMessageW(window.control(MainWindow::OffsetOn), BM_CLICK, 0, 0);
    gAnswers = {{true, L"5", IDOK}};
    press(MainWindow::Start);

    const std::string index = util::joinPath(dir.file("Result"), "index.html");
    ASSERT_TRUE(util::isFile(index));
    EXPECT_TRUE(util::isFile(util::joinPath(dir.file("Result"), "sheet.html")));
    EXPECT_EQ(gSeen, std::vector<std::wstring>{L"prompt: D01 = ?"});
    EXPECT_EQ(fakes.shell.opened, std::vector<std::string>{index});
    EXPECT_EQ(win32::windowText(window.control(MainWindow::DropPanel)), "\nNCデータをドロップ\n\nチェック: エラー 2 件");
    EXPECT_TRUE(IsWindowEnabled(hwnd));

    // The panel opens the findings of the run that found them.
    fakes.shell.opened.clear();
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(MainWindow::DropPanel, STN_CLICKED), 0);
    EXPECT_EQ(fakes.shell.opened, std::vector<std::string>{util::joinPath(dir.file("Result"), "sheet.html")});

    // Again: the folder is there, the question comes with the question icon; Cancel
    // leaves the folder as it was.
    testsupport::writeFile(index, "kept");
    gAnswers = {{false, L"", IDCANCEL}};
    press(MainWindow::Start);
    ASSERT_EQ(gSeen.size(), 2u);
    EXPECT_TRUE(gSeen[1].starts_with(L"box: ")) << util::fromWide(gSeen[1]);
    EXPECT_EQ(testsupport::readFile(index), "kept");
    EXPECT_EQ(win32::windowText(window.control(MainWindow::DropPanel)), "\nNCデータをドロップ");
}

TEST_F(Win32Window, ADroppedOrGivenFileFillsTheFields)
{
    window.takeArguments({"brelvane.exe", dir.file("part.nc")});
    EXPECT_EQ(win32::windowText(window.control(MainWindow::NcFile)), dir.file("part.nc"));
    EXPECT_EQ(win32::windowText(window.control(MainWindow::WorkingDir)), util::folderOf(dir.file("part.nc")));
    press(MainWindow::Clear);
    EXPECT_EQ(win32::windowText(window.control(MainWindow::NcFile)), "");
    EXPECT_EQ(win32::windowText(window.control(MainWindow::WorkingDir)), "");
    EXPECT_EQ(win32::windowText(window.control(MainWindow::ResultDir)), "Result");
}

}  // namespace
