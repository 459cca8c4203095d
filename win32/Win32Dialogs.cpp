#include "win32/Win32Dialogs.h"

#include "util/File.h"
#include "win32/Win32Text.h"
#include "window/Messages.h"

#include <shellapi.h>
#include <shobjidl.h>

#include <array>

namespace win32 {

namespace {

namespace messages = window::messages;

// The radius prompt as designed (120 dpi): a raised panel with the question, the label,
// the field and OK.
struct PromptWindow {
    HWND window = nullptr;
    HWND edit = nullptr;
    std::optional<std::string> answer;
    bool done = false;
    HFONT font = nullptr;
};

constexpr int kOkId = IDOK;

LRESULT CALLBACK radiusProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* prompt = reinterpret_cast<PromptWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        break;
    case WM_COMMAND:
        if (prompt && (LOWORD(wParam) == kOkId || LOWORD(wParam) == IDCANCEL)) {
            if (LOWORD(wParam) == kOkId) {
                prompt->answer = windowText(prompt->edit);
            }
            prompt->done = true;
            return 0;
        }
        break;
    case WM_CLOSE:
        if (prompt) {
            prompt->done = true;
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Runs a modal window's own message loop until `done`, the owner disabled meanwhile.
template <typename Done>
void runModal(HWND owner, HWND dialog, Done done)
{
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) {
        EnableWindow(owner, FALSE);
    }
    MSG msg;
    while (!done() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (ownerWasEnabled) {
        EnableWindow(owner, TRUE);
    }
}

std::optional<std::string> pick(HWND owner, bool folders, const std::string& title, const std::string& initialFolder,
                                 const std::string& preselectedFile)
{
    IFileOpenDialog* dialog = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) {
        return std::nullopt;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_FORCEFILESYSTEM | (folders ? FOS_PICKFOLDERS : FOS_FILEMUSTEXIST));
    if (!title.empty()) {
        dialog->SetTitle(wide(title).c_str());
    }
    if (!folders) {
        const std::array<COMDLG_FILTERSPEC, 2> filters{{{L"NC ファイル (*.nc;*.ncf;*.tap;*.txt)", L"*.nc;*.ncf;*.tap;*.txt"},
                                                        {L"すべてのファイル (*.*)", L"*.*"}}};
        dialog->SetFileTypes(static_cast<UINT>(filters.size()), filters.data());
    }
    if (!initialFolder.empty()) {
        IShellItem* folder = nullptr;
        if (SUCCEEDED(SHCreateItemFromParsingName(wide(initialFolder).c_str(), nullptr, IID_PPV_ARGS(&folder)))) {
            dialog->SetFolder(folder);
            folder->Release();
        }
    }
    if (!preselectedFile.empty()) {
        const std::string name = preselectedFile.substr(util::folderOf(preselectedFile).size());
        dialog->SetFileName(wide(name.starts_with("\\") || name.starts_with("/") ? name.substr(1) : name).c_str());
    }
    std::optional<std::string> picked;
    IShellItem* item = nullptr;
    if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(&item))) {
        PWSTR path = nullptr;
        if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
            picked = utf8(path);
            CoTaskMemFree(path);
        }
        item->Release();
    }
    dialog->Release();
    return picked;
}

}  // namespace

util::MessageBoxService::Result Win32Dialogs::showMessage(const std::string& text, const std::string& caption,
                                                          Buttons buttons)
{
    // A question asks; what the run only tells, it tells of a failure.
    const UINT type = buttons == Buttons::OkCancel ? MB_OKCANCEL | MB_ICONQUESTION : MB_OK | MB_ICONERROR;
    return MessageBoxW(owner_, wide(text).c_str(), wide(caption).c_str(), type) == IDOK ? Result::Ok : Result::Cancel;
}

void Win32Dialogs::showError(const std::string& message)
{
    MessageBoxW(owner_, wide(message).c_str(), wide(messages::kApplicationTitle).c_str(), MB_OK | MB_ICONERROR);
}

bool Win32Dialogs::openDocument(const std::string& path)
{
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner_, L"open", util::nativePath(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) {
        return true;
    }
    MessageBoxW(owner_, wide(messages::kNoHandler + path).c_str(), wide(messages::kApplicationTitle).c_str(),
                MB_OK | MB_ICONINFORMATION);
    return false;
}

std::optional<std::string> Win32Dialogs::askRadius(int /*dNumber*/, const std::string& promptText)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    static const ATOM registered = [instance] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = radiusProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kRadiusPromptClass;
        return RegisterClassExW(&wc);
    }();
    (void)registered;
    PromptWindow prompt;
    const UINT dpi = owner_ ? GetDpiForWindow(owner_) : GetDpiForSystem();
    const auto px = [dpi](int design) { return scaled(design, dpi); };
    RECT frame{0, 0, px(383), px(152)};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    AdjustWindowRectExForDpi(&frame, style, FALSE, WS_EX_DLGMODALFRAME, dpi);
    RECT owner{};
    if (owner_) {
        GetWindowRect(owner_, &owner);
    }
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    prompt.window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kRadiusPromptClass, L"工具径", style,
                                    owner.left + (owner.right - owner.left - width) / 2,
                                    owner.top + (owner.bottom - owner.top - height) / 2, width, height, owner_,
                                    nullptr, instance, &prompt);
    prompt.font = japaneseFont(15, false, dpi);
    const auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD childStyle, int x, int y, int w, int h,
                           int id) {
        HWND control = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | childStyle, px(x), px(y), px(w), px(h),
                                       prompt.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(prompt.font), TRUE);
        return control;
    };
    child(L"STATIC", wide(promptText).c_str(), SS_CENTER | SS_CENTERIMAGE | WS_BORDER, 24, 8, 185, 41, 1);
    child(L"STATIC", L"補正値", SS_LEFT, 16, 66, 50, 18, 2);
    prompt.edit = child(L"EDIT", L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 72, 64, 153, 23, 3);
    child(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 232, 64, 75, 25, kOkId);
    ShowWindow(prompt.window, SW_SHOW);
    SetFocus(prompt.edit);
    runModal(owner_, prompt.window, [&prompt] { return prompt.done; });
    DestroyWindow(prompt.window);
    DeleteObject(prompt.font);
    if (owner_) {
        SetForegroundWindow(owner_);
    }
    return prompt.answer;
}

std::optional<std::string> Win32Dialogs::chooseNcFile(const std::string& preselectedFile,
                                                      const std::string& initialFolder)
{
    return pick(owner_, false, "", initialFolder, preselectedFile);
}

std::string Win32Dialogs::browseFolder(const std::string& caption, const std::string& root)
{
    return pick(owner_, true, caption, root, "").value_or("");
}

}  // namespace win32
