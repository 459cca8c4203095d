// A control's text in UTF-8, and the design's pixels (given at 120 dpi) at a window's own
// dpi. (UTF-8 and Windows' wide text meet in util::toWide and util::fromWide.)
#pragma once

#include "util/File.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace win32 {

inline std::string windowText(HWND control)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return util::fromWide(text);
}

// The layout is designed at 120 dpi; each monitor shows it at its own.
inline int scaled(int designPixels, UINT dpi)
{
    return MulDiv(designPixels, static_cast<int>(dpi), 120);
}

// A font for the window's texts at `dpi`: the first of the Japanese UI fonts installed
// (Windows' own, else those a Linux desktop has under wine), `pixels` high at 120 dpi.
HFONT japaneseFont(int pixels, bool bold, UINT dpi);
// Its face name.
const std::wstring& japaneseFontFace();

}  // namespace win32
