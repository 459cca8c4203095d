#include "app/QtDialogs.h"

#include "app/Inputtoolradius.h"
#include "app/QtText.h"
#include "window/Messages.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace app {

namespace messages = window::messages;

util::MessageBoxService::Result QtDialogs::showMessage(const std::string& text, const std::string& caption,
                                                       Buttons buttons)
{
    QMessageBox box(QMessageBox::NoIcon, fromUtf8(caption), fromUtf8(text),
                    buttons == Buttons::Ok ? QMessageBox::Ok : (QMessageBox::Ok | QMessageBox::Cancel), owner_);
    box.setObjectName("messageBox");
    return box.exec() == QMessageBox::Ok ? Result::Ok : Result::Cancel;
}

void QtDialogs::showError(const std::string& message)
{
    QMessageBox box(QMessageBox::Critical, messages::kApplicationTitle, fromUtf8(message), QMessageBox::Ok, owner_);
    box.setObjectName("errorBox");
    box.exec();
}

bool QtDialogs::openDocument(const std::string& path)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(fromUtf8(path)))) {
        return true;
    }
    // No handler for HTML on this desktop: say where the report is instead of nothing.
    showMessage(messages::kNoHandler + path, messages::kApplicationTitle, Buttons::Ok);
    return false;
}

std::optional<std::string> QtDialogs::askRadius(int /*dNumber*/, const std::string& promptText)
{
    TformToorRadius prompt(owner_);
    prompt.setPrompt(fromUtf8(promptText));
    if (prompt.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return toUtf8(prompt.enteredText());
}

std::optional<std::string> QtDialogs::chooseNcFile(const std::string& preselectedFile, const std::string& initialFolder)
{
    QFileDialog dialog(owner_);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!initialFolder.empty()) {
        dialog.setDirectory(fromUtf8(initialFolder));
    }
    if (!preselectedFile.empty()) {
        dialog.selectFile(fromUtf8(preselectedFile));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return toUtf8(dialog.selectedFiles().front());
}

std::string QtDialogs::browseFolder(const std::string& caption, const std::string& root)
{
    const QString folder = QFileDialog::getExistingDirectory(owner_, fromUtf8(caption), fromUtf8(root),
                                                             QFileDialog::ShowDirsOnly);
    return toUtf8(folder);
}

}  // namespace app
