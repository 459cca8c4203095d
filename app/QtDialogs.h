// The window's dialogs and desktop services with Qt: message boxes, the error display,
// the radius prompt, the file and folder choosers, and opening the report.
#pragma once

#include "window/Dialogs.h"

class QWidget;

namespace app {

class QtDialogs : public window::ToolkitDialogs {
public:
    // The owner of every dialog; set once the main window exists.
    void setOwner(QWidget* owner) { owner_ = owner; }

    Result showMessage(const std::string& text, const std::string& caption, Buttons buttons) override;
    void showError(const std::string& message) override;
    bool openDocument(const std::string& path) override;
    std::optional<std::string> askRadius(int dNumber, const std::string& promptText) override;
    std::optional<std::string> chooseNcFile(const std::string& preselectedFile,
                                            const std::string& initialFolder) override;
    std::string browseFolder(const std::string& caption, const std::string& root) override;

private:
    QWidget* owner_ = nullptr;
};

}  // namespace app
