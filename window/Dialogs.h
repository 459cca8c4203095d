// Everything the window asks of a person or the desktop, behind one seam: each front end
// implements it with its toolkit's dialogs (Qt's, Windows' own), the tests with scripts.
#pragma once

#include "report/EntryState.h"
#include "run/Services.h"
#include "util/MessageBoxService.h"

#include <optional>
#include <string>

namespace window {

class NcFileChooser {
public:
    virtual ~NcFileChooser() = default;
    // The picked file's path, or nothing when the user cancelled.
    virtual std::optional<std::string> chooseNcFile(const std::string& preselectedFile,
                                                    const std::string& initialFolder) = 0;
};

struct Dialogs {
    util::MessageBoxService& messages;
    run::ErrorDisplay& errors;
    run::Shell& shell;
    report::RadiusPrompt& radius;
    NcFileChooser& fileChooser;
    util::FolderBrowser& folderBrowser;
};

// A toolkit's dialogs, all of them in one object that answers for each.
class ToolkitDialogs : public util::MessageBoxService,
                       public run::ErrorDisplay,
                       public run::Shell,
                       public report::RadiusPrompt,
                       public NcFileChooser,
                       public util::FolderBrowser {
public:
    Dialogs dialogs() { return {*this, *this, *this, *this, *this, *this}; }
};

}  // namespace window
