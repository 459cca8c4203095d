// The window's dialogs and desktop services with Windows' own: message boxes with their
// icons, the radius prompt, the open-file dialog and the folder chooser of today's
// Windows, and opening a document with its program.
#pragma once

#include "window/Dialogs.h"

#include <windows.h>

namespace win32 {

// The radius prompt's question and field, for whoever looks for them (the tests).
inline constexpr int kRadiusQuestionId = 1;
inline constexpr int kRadiusFieldId = 3;

class Win32Dialogs : public window::ToolkitDialogs {
public:
    // The owner of every dialog; set once the main window exists.
    void setOwner(HWND owner) { owner_ = owner; }

    Result showMessage(const std::string& text, const std::string& caption, Buttons buttons) override;
    void showError(const std::string& message) override;
    bool openDocument(const std::string& path) override;
    std::optional<std::string> askRadius(int dNumber, const std::string& promptText) override;
    std::optional<std::string> chooseNcFile(const std::string& preselectedFile,
                                            const std::string& initialFolder) override;
    std::string browseFolder(const std::string& caption, const std::string& root) override;

private:
    HWND owner_ = nullptr;
};

}  // namespace win32
