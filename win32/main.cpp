// brelvane.exe: the desktop program on Windows. `brelvane FILE` opens with FILE as if
// dropped (Explorer's "open with" and the installer's context menu pass it so).
#include "util/File.h"
#include "win32/MainWindow.h"
#include "win32/Win32Dialogs.h"
#include "win32/Win32Text.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int show)
{
    // The file dialogs are COM objects, on this thread.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    std::vector<std::string> arguments;
    int count = 0;
    if (wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) {
            arguments.push_back(util::fromWide(args[i]));
        }
        LocalFree(args);
    }
    const std::string programDir = util::programDirectory(arguments.empty() ? "" : arguments[0].c_str());

    win32::Win32Dialogs dialogs;
    win32::MainWindow window(dialogs.dialogs(), util::templatesDirectory(programDir));
    const HWND hwnd = window.create(282, 215);
    dialogs.setOwner(hwnd);
    window.takeArguments(arguments);
    ShowWindow(hwnd, show);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    CoUninitialize();
    return static_cast<int>(msg.wParam);
}
