#include "cli/System.h"

#include "util/File.h"

#include <array>
#include <cstdio>
#include <fcntl.h>
#include <io.h>

#include <windows.h>
#include <shellapi.h>

namespace cli::system {

namespace {

using util::fromWide;
using util::toWide;

bool isConsole(DWORD handle)
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(handle), &mode) != 0;
}

}  // namespace

std::vector<std::string> arguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wideArgs = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wideArgs) {
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) {
        args.push_back(fromWide(wideArgs[i]));
    }
    LocalFree(wideArgs);
    return args;
}

std::string prepareConsole()
{
    // UTF-8 on the console, and the same bytes as on Linux where output is redirected:
    // no line feed becomes CR LF behind the program's back.
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    return "UTF-8";
}

void write(std::FILE* stream, std::string_view text)
{
    std::fflush(stream);
    const bool standard = stream == stdout || stream == stderr;
    const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (standard && GetConsoleMode(handle, &mode) != 0) {
        // A console shows characters, not bytes: written a byte at a time, UTF-8 comes
        // out as one replacement character for each.
        const std::wstring wideText = toWide(text);
        DWORD written = 0;
        WriteConsoleW(handle, wideText.data(), static_cast<DWORD>(wideText.size()), &written, nullptr);
        return;
    }
    // Redirected, or a file: the same bytes as on Linux.
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

bool japaneseUser()
{
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
}

bool interactive()
{
    // _isatty would count the NUL device as a terminal.
    return isConsole(STD_INPUT_HANDLE) && isConsole(STD_ERROR_HANDLE);
}

bool openDocument(const std::string& path)
{
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", toWide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

bool startedFromDesktop()
{
    // Explorer gives a console program a console of its own: no other process shares it,
    // and its output is not redirected.
    std::array<DWORD, 2> processes{};
    return GetConsoleProcessList(processes.data(), static_cast<DWORD>(processes.size())) == 1 &&
           isConsole(STD_OUTPUT_HANDLE);
}

bool startWindow(const std::string& programDir)
{
    const std::string window = util::joinPath(programDir, "brelvane.exe");
    if (!util::isFile(window)) {
        return false;
    }
    FreeConsole();
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", toWide(window).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

void leaveConsole()
{
    FreeConsole();
}

bool messageBox(const std::string& text, const std::string& caption, bool okCancel, bool error)
{
    const UINT icon = okCancel ? MB_ICONQUESTION : error ? MB_ICONERROR : MB_ICONINFORMATION;
    const UINT type = (okCancel ? MB_OKCANCEL : MB_OK) | icon;
    return MessageBoxW(nullptr, toWide(text).c_str(), toWide(caption).c_str(), type) == IDOK;
}

}  // namespace cli::system
