// Platform services that need a person: a modal message box and a folder chooser. The
// window, the command line and the tests each implement them; texts are UTF-8.
#pragma once

#include <string>

namespace util {

class MessageBoxService {
public:
    enum class Buttons { Ok, OkCancel };
    enum class Result { Ok, Cancel };

    virtual ~MessageBoxService() = default;
    // Shows the text with the caption and waits until the user has closed the box.
    virtual Result showMessage(const std::string& text, const std::string& caption, Buttons buttons) = 0;
};

class FolderBrowser {
public:
    virtual ~FolderBrowser() = default;
    // Lets the user choose a file-system folder below `root` (everything when empty);
    // its path, or the empty text on cancel.
    virtual std::string browseFolder(const std::string& caption, const std::string& root) = 0;
};

}  // namespace util
