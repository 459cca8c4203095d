// The main window without its widgets: what its fields hold, what each button and a drop
// do, and what outlives one run. Each front end (Qt on Linux, Win32 on Windows) is only
// its widgets: it copies what the user typed into `fields` before an action and shows
// `fields` after it.
#pragma once

#include "run/AnalysisRun.h"
#include "run/AppState.h"
#include "run/RunSettings.h"
#include "run/Services.h"
#include "window/Dialogs.h"

#include <string>
#include <vector>

namespace window {

// The texts and the choice the window shows, UTF-8.
struct Fields {
    std::string ncFile;
    std::string workingDir;
    std::string resultDir = "Result";
    std::string startX;
    std::string startY;
    std::string startZ;
    bool offsetCheck = false;
    std::string panel;  // the drop panel: its prompt, and the last run's errors
};

class WindowState {
public:
    WindowState(const Dialogs& dialogs, std::string programDir);

    Fields fields;

    // The settings a press of the start button would take.
    run::RunSettings runSettings() const;
    const std::string& ncFilePath() const { return ncFilePath_; }
    const std::string& ncFolder() const { return ncFolder_; }
    const run::AppState& appState() const { return state_; }
    const run::RunResult& lastRun() const { return lastRun_; }

    // The file button: the chooser opens at the last file and folder.
    void chooseFile();
    // A path typed or pasted into the file field counts as a chosen one; when the field
    // is left, an empty working folder takes its folder.
    void typedFile(const std::string& text);
    void fileFieldLeft();
    // The folder button.
    void chooseFolder();
    // The clear button: the file and the working folder; the rest stays.
    void clear();
    // Files dropped from the desktop, in the order the shell lists them: the last holds.
    void dropFiles(const std::vector<std::string>& paths);
    // The program's arguments (its name first): a file given by a desktop's "open with"
    // counts as dropped. Options and their values are skipped.
    void takeArguments(const std::vector<std::string>& arguments);
    // The start button: the run with the user's machine profile, read anew each time.
    void start(run::Progress& progress);
    // Whether the last run found errors, and the sheet that lists its findings opened.
    bool hasCheckErrors() const { return checkErrors_ > 0; }
    void openFindings();

private:
    void chosen(const std::string& path);

    Dialogs dialogs_;
    run::AppState state_;             // templates, summary, entry state and radius cache
    std::string ncFilePath_;          // the NC file of the next run
    std::string ncFolder_;            // its folder, offered as working folder
    std::string workingFolder_;       // last chosen or dropped working folder
    std::string preselectedFile_;     // the file chooser's preselection after a drop
    std::string chooserFolder_;       // and its initial folder
    run::RunResult lastRun_;
    long long checkErrors_ = 0;
};

}  // namespace window
