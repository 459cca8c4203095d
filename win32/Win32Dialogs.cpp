#include "win32/Win32Dialogs.h"

#include "util/File.h"
#include "win32/Win32Text.h"
#include "window/Messages.h"

#include <shellapi.h>
#include <shobjidl.h>

#include <array>
#include <vector>

namespace win32 {

namespace {

namespace messages = window::messages;

// The radius prompt as a dialog of Windows' own (a template in memory, so the dialog
// manager gives it the keyboard, the default button and its scaling for the monitor):
// a raised panel with the question, the label, the field and OK. Places in dialog units,
// about half the design's pixels at 120 dpi with its 9-point font.
class DialogTemplate {
public:
    DialogTemplate(const wchar_t* title, short width, short height)
    {
        word(1);                      // DLGTEMPLATEEX
        word(0xFFFF);
        dword(0);                     // help id
        dword(0);                     // extended style
        dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_SHELLFONT | DS_CENTER);
        countAt_ = bytes_.size();
        word(0);                      // controls, counted as they come
        word(0);
        word(0);
        word(static_cast<WORD>(width));
        word(static_cast<WORD>(height));
        word(0);                      // no menu
        word(0);                      // the dialog class
        text(title);
        word(9);                      // 9 points
        word(FW_NORMAL);
        word(0);                      // not italic, default charset
        text(japaneseFontFace().c_str());
    }
    void control(const wchar_t* cls, const wchar_t* title, DWORD style, short x, short y, short w, short h, WORD id)
    {
        while (bytes_.size() % 4 != 0) {
            bytes_.push_back(0);
        }
        dword(0);                     // help id
        dword(0);                     // extended style
        dword(WS_CHILD | WS_VISIBLE | style);
        for (const short v : {x, y, w, h}) {
            word(static_cast<WORD>(v));
        }
        dword(id);
        text(cls);
        text(title);
        word(0);                      // no creation data
        auto* count = reinterpret_cast<WORD*>(bytes_.data() + countAt_);
        ++*count;
    }
    const DLGTEMPLATE* get()
    {
        return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data());
    }

private:
    void word(WORD v)
    {
        bytes_.push_back(static_cast<char>(v & 0xFF));
        bytes_.push_back(static_cast<char>(v >> 8));
    }
    void dword(DWORD v)
    {
        word(static_cast<WORD>(v & 0xFFFF));
        word(static_cast<WORD>(v >> 16));
    }
    void text(const wchar_t* t)
    {
        for (; *t != L'\0'; ++t) {
            word(static_cast<WORD>(*t));
        }
        word(0);
    }

    std::vector<char> bytes_;
    std::size_t countAt_ = 0;
};

struct PromptState {
    std::wstring question;
    std::optional<std::string> answer;
};

INT_PTR CALLBACK radiusProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        const auto* state = reinterpret_cast<PromptState*>(lParam);
        SetDlgItemTextW(dialog, kRadiusQuestionId, state->question.c_str());
        return TRUE;  // the focus to the field, the first that takes it
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            auto* state = reinterpret_cast<PromptState*>(GetWindowLongPtrW(dialog, DWLP_USER));
            if (LOWORD(wParam) == IDOK) {
                state->answer = windowText(GetDlgItem(dialog, kRadiusFieldId));
            }
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
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
        dialog->SetTitle(util::toWide(title).c_str());
    }
    if (!folders) {
        const std::array<COMDLG_FILTERSPEC, 2> filters{{{L"NC ファイル (*.nc;*.ncf;*.tap;*.txt)", L"*.nc;*.ncf;*.tap;*.txt"},
                                                        {L"すべてのファイル (*.*)", L"*.*"}}};
        dialog->SetFileTypes(static_cast<UINT>(filters.size()), filters.data());
    }
    if (!initialFolder.empty()) {
        IShellItem* folder = nullptr;
        if (SUCCEEDED(SHCreateItemFromParsingName(util::toWide(initialFolder).c_str(), nullptr, IID_PPV_ARGS(&folder)))) {
            dialog->SetFolder(folder);
            folder->Release();
        }
    }
    if (!preselectedFile.empty()) {
        dialog->SetFileName(util::nativePath(preselectedFile).filename().c_str());
    }
    std::optional<std::string> picked;
    IShellItem* item = nullptr;
    if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(&item))) {
        PWSTR path = nullptr;
        if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
            picked = util::fromWide(path);
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
    return MessageBoxW(owner_, util::toWide(text).c_str(), util::toWide(caption).c_str(), type) == IDOK ? Result::Ok : Result::Cancel;
}

void Win32Dialogs::showError(const std::string& message)
{
    MessageBoxW(owner_, util::toWide(message).c_str(), util::toWide(messages::kApplicationTitle).c_str(), MB_OK | MB_ICONERROR);
}

bool Win32Dialogs::openDocument(const std::string& path)
{
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner_, L"open", util::nativePath(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) {
        return true;
    }
    MessageBoxW(owner_, util::toWide(messages::kNoHandler + path).c_str(), util::toWide(messages::kApplicationTitle).c_str(),
                MB_OK | MB_ICONINFORMATION);
    return false;
}

std::optional<std::string> Win32Dialogs::askRadius(int /*dNumber*/, const std::string& promptText)
{
    DialogTemplate dialog(L"工具径", 192, 76);
    dialog.control(L"STATIC", L"", SS_CENTER | SS_CENTERIMAGE | WS_BORDER, 12, 4, 92, 20, kRadiusQuestionId);
    dialog.control(L"STATIC", L"補正値", SS_LEFT, 8, 33, 28, 9, 2);
    dialog.control(L"EDIT", L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 36, 32, 77, 12, kRadiusFieldId);
    dialog.control(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 116, 32, 38, 13, IDOK);
    PromptState state{util::toWide(promptText), std::nullopt};
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), owner_, radiusProc,
                            reinterpret_cast<LPARAM>(&state));
    return state.answer;
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
