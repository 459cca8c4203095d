#include "win32/MainWindow.h"

#include "win32/Win32Text.h"
#include "window/Messages.h"

#include <shellapi.h>

#include <algorithm>
#include <array>

namespace win32 {

namespace {

namespace messages = window::messages;

constexpr std::uint64_t kProgressFrom = 4u << 20;  // smaller files finish before a figure would help

// Where each control stands as designed (120 dpi, in the window's client area), with
// its class, text and style.
struct Design {
    int id;
    const wchar_t* cls;
    const wchar_t* text;
    DWORD style;
    int x, y, width, height;
};

constexpr DWORD kEdit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;

// In creation order, which is the tab order: the group boxes first (behind their
// controls), then file, working folder, result name, clear, X, Y, Z, the radio buttons,
// start, close.
const std::array<Design, 22> kDesign{{
    {MainWindow::FileGroup, L"BUTTON", L"Ｎｃデータファイル名", BS_GROUPBOX, 8, 8, 417, 49},
    {MainWindow::FolderGroup, L"BUTTON", L"作業フォルダ", BS_GROUPBOX, 8, 64, 417, 89},
    {MainWindow::StartGroup, L"BUTTON", L"加工スタート点", BS_GROUPBOX, 8, 169, 217, 129},
    {MainWindow::OffsetGroup, L"BUTTON", L"工具径補正最小Ｒ", BS_GROUPBOX, 232, 169, 185, 105},
    {MainWindow::NcFile, L"EDIT", L"", kEdit, 14, 26, 363, 24},
    {MainWindow::FileSelect, L"BUTTON", L"…", BS_PUSHBUTTON, 384, 24, 32, 24},
    {MainWindow::WorkingDir, L"EDIT", L"", kEdit, 16, 82, 361, 24},
    {MainWindow::DirSelect, L"BUTTON", L"…", BS_PUSHBUTTON, 384, 80, 32, 24},
    {MainWindow::ResultLabel, L"STATIC", L"このフォルダに結果を保存", SS_LEFT, 32, 116, 170, 18},
    {MainWindow::ResultDir, L"EDIT", L"", kEdit, 208, 112, 105, 24},
    {MainWindow::Clear, L"BUTTON", L"入力クリア", kButton, 320, 112, 97, 25},
    {MainWindow::LabelX, L"STATIC", L"X:", SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN, 19, 187, 28, 26},
    {MainWindow::StartX, L"EDIT", L"", kEdit, 53, 187, 151, 23},
    {MainWindow::LabelY, L"STATIC", L"Y:", SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN, 19, 222, 28, 26},
    {MainWindow::StartY, L"EDIT", L"", kEdit, 53, 222, 151, 23},
    {MainWindow::LabelZ, L"STATIC", L"Z:", SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN, 19, 257, 28, 26},
    {MainWindow::StartZ, L"EDIT", L"", kEdit, 53, 257, 151, 23},
    {MainWindow::OffsetOn, L"BUTTON", L"チェックする", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 248, 201, 130, 20},
    {MainWindow::OffsetOff, L"BUTTON", L"チェックしない", BS_AUTORADIOBUTTON, 248, 225, 130, 20},
    {MainWindow::Start, L"BUTTON", L"解析開始", kButton | WS_GROUP, 6, 301, 155, 78},
    {MainWindow::DropPanel, L"STATIC", L"", SS_CENTER | SS_NOTIFY | SS_SUNKEN, 232, 281, 185, 105},
    {MainWindow::Close, L"BUTTON", L"閉じる", kButton, 162, 301, 65, 78},
}};

constexpr int kClientWidth = 433;
constexpr int kClientHeight = 410;

}  // namespace

const std::wstring& japaneseFontFace()
{
    // Windows' own UI fonts first, then those a Linux desktop lends wine.
    static const std::wstring face = [] {
        const wchar_t* faces[] = {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic", L"IPAPGothic", L"IPAGothic",
                                  L"Noto Sans CJK JP"};
        HDC dc = GetDC(nullptr);
        std::wstring found = L"MS UI Gothic";
        for (const wchar_t* candidate : faces) {
            LOGFONTW wanted{};
            wanted.lfCharSet = DEFAULT_CHARSET;
            lstrcpynW(wanted.lfFaceName, candidate, LF_FACESIZE);
            bool present = false;
            EnumFontFamiliesExW(
                dc, &wanted, [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM seen) -> int {
                    *reinterpret_cast<bool*>(seen) = true;
                    return 0;
                },
                reinterpret_cast<LPARAM>(&present), 0);
            if (present) {
                found = candidate;
                break;
            }
        }
        ReleaseDC(nullptr, dc);
        return found;
    }();
    return face;
}

HFONT japaneseFont(int pixels, bool bold, UINT dpi)
{
    return CreateFontW(-scaled(pixels, dpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, japaneseFontFace().c_str());
}

MainWindow::MainWindow(const window::Dialogs& dialogs, std::string programDir) : state_(dialogs, std::move(programDir))
{
}

MainWindow::~MainWindow()
{
    if (hwnd_) {
        DestroyWindow(hwnd_);
    }
    DeleteObject(font_);
    DeleteObject(labelFont_);
}

HWND MainWindow::create(int x, int y)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    static const ATOM registered = [instance] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &MainWindow::proc;
        wc.hInstance = instance;
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kMainWindowClass;
        return RegisterClassExW(&wc);
    }();
    (void)registered;
    const UINT dpi = GetDpiForSystem();
    hwnd_ = CreateWindowExW(WS_EX_ACCEPTFILES | WS_EX_CONTROLPARENT, kMainWindowClass,
                            util::toWide(messages::kApplicationTitle).c_str(),
                            WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, scaled(x, dpi), scaled(y, dpi),
                            CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    buildControls();
    layout(GetDpiForWindow(hwnd_));
    showFields();
    return hwnd_;
}

void MainWindow::buildControls()
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const Design& d : kDesign) {
        CreateWindowExW(d.cls == std::wstring_view(L"EDIT") ? WS_EX_CLIENTEDGE : 0, d.cls, d.text,
                        WS_CHILD | WS_VISIBLE | d.style, 0, 0, 0, 0, hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(d.id)), instance, nullptr);
    }
}

void MainWindow::layout(UINT dpi)
{
    DeleteObject(font_);
    DeleteObject(labelFont_);
    font_ = japaneseFont(15, false, dpi);
    labelFont_ = japaneseFont(22, true, dpi);
    for (const Design& d : kDesign) {
        const HWND c = control(static_cast<Control>(d.id));
        const bool label = d.id == LabelX || d.id == LabelY || d.id == LabelZ;
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(label ? labelFont_ : font_), FALSE);
        SetWindowPos(c, nullptr, scaled(d.x, dpi), scaled(d.y, dpi), scaled(d.width, dpi), scaled(d.height, dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT frame{0, 0, scaled(kClientWidth, dpi), scaled(kClientHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::takeFields()
{
    window::Fields& f = state_.fields;
    f.ncFile = windowText(control(NcFile));
    f.workingDir = windowText(control(WorkingDir));
    f.resultDir = windowText(control(ResultDir));
    f.startX = windowText(control(StartX));
    f.startY = windowText(control(StartY));
    f.startZ = windowText(control(StartZ));
    f.offsetCheck = SendMessageW(control(OffsetOn), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::showFields()
{
    showing_ = true;
    const window::Fields& f = state_.fields;
    const auto show = [this](Control id, const std::string& text) {
        // Unchanged text is left alone: setting it would move the caret.
        if (windowText(control(id)) != text) {
            SetWindowTextW(control(id), util::toWide(text).c_str());
        }
    };
    show(NcFile, f.ncFile);
    show(WorkingDir, f.workingDir);
    show(ResultDir, f.resultDir);
    show(StartX, f.startX);
    show(StartY, f.startY);
    show(StartZ, f.startZ);
    CheckRadioButton(hwnd_, OffsetOn, OffsetOff, f.offsetCheck ? OffsetOn : OffsetOff);
    // The panel's text stands a little below its top, as a centred line would.
    show(DropPanel, "\n" + f.panel);
    showing_ = false;
}

void MainWindow::takeArguments(const std::vector<std::string>& arguments)
{
    takeFields();
    state_.takeArguments(arguments);
    showFields();
}

void MainWindow::command(int id, int notification)
{
    switch (id) {
    case FileSelect:
        takeFields();
        state_.chooseFile();
        showFields();
        return;
    case NcFile:
        // A path typed or pasted counts as a chosen one; leaving the field offers its folder.
        if (notification == EN_CHANGE && !showing_) {
            state_.typedFile(windowText(control(NcFile)));
        } else if (notification == EN_KILLFOCUS) {
            takeFields();
            state_.fileFieldLeft();
            showFields();
        }
        return;
    case DirSelect:
        takeFields();
        state_.chooseFolder();
        showFields();
        return;
    case Clear:
        takeFields();
        state_.clear();
        showFields();
        return;
    case Start:
        start();
        return;
    case DropPanel:
        if (notification == STN_CLICKED && state_.hasCheckErrors()) {
            state_.openFindings();
        }
        return;
    case Close:
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        return;
    default:
        return;
    }
}

void MainWindow::start()
{
    if (running_) {
        return;
    }
    // The window takes no input while the run works; its questions come as modal dialogs.
    running_ = true;
    EnableWindow(hwnd_, FALSE);
    takeFields();
    state_.start(*this);
    showFields();
    EnableWindow(hwnd_, TRUE);
    SetForegroundWindow(hwnd_);
    running_ = false;
}

void MainWindow::progress(std::uint64_t bytesRead, std::uint64_t bytesTotal)
{
    if (bytesTotal >= kProgressFrom) {
        const std::string text = std::string("\n") + messages::kProgressLabel + " " +
                                 std::to_string(bytesRead * 100 / bytesTotal) + "%";
        SetWindowTextW(control(DropPanel), util::toWide(text).c_str());
    }
    // The window is painted and moved while it waits.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void MainWindow::drop(HDROP drop)
{
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        paths.push_back(util::fromWide(path));
    }
    DragFinish(drop);
    takeFields();
    state_.dropFiles(paths);
    showFields();
}

LRESULT CALLBACK MainWindow::proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->handle(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_DROPFILES:
        if (!running_) {
            drop(reinterpret_cast<HDROP>(wParam));
        }
        return 0;
    case WM_SETCURSOR:
        // The panel is a link to the findings while the last run had errors.
        if (reinterpret_cast<HWND>(wParam) == control(DropPanel) && state_.hasCheckErrors()) {
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));
            return TRUE;
        }
        break;
    case WM_DPICHANGED: {
        // Moved to a monitor of another dpi: the layout at its size, where Windows asks.
        layout(HIWORD(wParam));
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CLOSE:
        if (running_) {
            return 0;
        }
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        hwnd_ = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace win32
