// The main window in Win32: its controls over the toolkit-neutral WindowState, which
// holds what the fields say, what each action does and what outlives one run. Laid out
// as designed at 120 dpi and shown at each monitor's own.
#pragma once

#include "window/WindowState.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace win32 {

inline constexpr const wchar_t* kMainWindowClass = L"BrelvaneMainWindow";

class MainWindow : private run::Progress {
public:
    // The controls' ids, in tab order where they take the focus.
    enum Control : int {
        NcFile = 100,
        FileSelect,
        WorkingDir,
        DirSelect,
        ResultLabel,
        ResultDir,
        Clear,
        StartX,
        StartY,
        StartZ,
        OffsetOn,
        OffsetOff,
        Start,
        DropPanel,
        Close,
        LabelX,
        LabelY,
        LabelZ,
        FileGroup,
        FolderGroup,
        StartGroup,
        OffsetGroup,
    };

    MainWindow(const window::Dialogs& dialogs, std::string programDir);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Makes the window (hidden); `x`, `y` in design pixels from the screen's corner.
    HWND create(int x, int y);
    HWND handle() const { return hwnd_; }
    HWND control(Control id) const { return GetDlgItem(hwnd_, id); }
    window::WindowState& state() { return state_; }

    // The program's arguments (its name first): a file counts as dropped.
    void takeArguments(const std::vector<std::string>& arguments);

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void buildControls();
    void layout(UINT dpi);
    void command(int id, int notification);
    void takeFields();
    void showFields();
    void start();
    void drop(HDROP drop);
    void progress(std::uint64_t bytesRead, std::uint64_t bytesTotal) override;

    window::WindowState state_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    HFONT labelFont_ = nullptr;
    bool showing_ = false;  // fields being shown: the edits' change notices are not the user's
    bool running_ = false;
};

}  // namespace win32
