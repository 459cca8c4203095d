#include "window/WindowState.h"

#include "machine/MachineProfile.h"
#include "util/File.h"
#include "util/Number.h"
#include "util/UserError.h"
#include "window/Messages.h"

#include <algorithm>

namespace window {

namespace {

constexpr double kStartX = 0.0;
constexpr double kStartY = 0.0;
constexpr double kStartZ = 200.0;

}  // namespace

WindowState::WindowState(const Dialogs& dialogs, std::string programDir) : dialogs_(dialogs)
{
    // Entry state, radius cache and summary start empty (AppState's defaults); the
    // templates lie beside the program. The start point in general number format.
    state_.programDir = std::move(programDir);
    fields.startX = util::formatGeneral(kStartX);
    fields.startY = util::formatGeneral(kStartY);
    fields.startZ = util::formatGeneral(kStartZ);
    fields.panel = messages::kDropPrompt;
}

run::RunSettings WindowState::runSettings() const
{
    run::RunSettings settings;
    settings.ncFile = ncFilePath_;
    settings.workingDir = fields.workingDir;
    settings.resultDirName = fields.resultDir;
    settings.startX = fields.startX;
    settings.startY = fields.startY;
    settings.startZ = fields.startZ;
    settings.offsetCheck = fields.offsetCheck;
    return settings;
}

void WindowState::chosen(const std::string& path)
{
    ncFilePath_ = path;
    ncFolder_ = util::folderOf(ncFilePath_);
    preselectedFile_ = ncFilePath_;
    chooserFolder_ = ncFolder_;
}

void WindowState::chooseFile()
{
    if (const auto picked = dialogs_.fileChooser.chooseNcFile(preselectedFile_, chooserFolder_)) {
        fields.ncFile = *picked;
        chosen(*picked);
    }
    if (fields.workingDir.empty()) {
        fields.workingDir = ncFolder_;
    }
}

void WindowState::typedFile(const std::string& text)
{
    fields.ncFile = text;
    chosen(text);
}

void WindowState::fileFieldLeft()
{
    if (fields.workingDir.empty() && !ncFolder_.empty()) {
        fields.workingDir = ncFolder_;
    }
}

void WindowState::chooseFolder()
{
    workingFolder_ = dialogs_.folderBrowser.browseFolder(messages::kFolderBrowserCaption, "");
    fields.workingDir = workingFolder_;
}

void WindowState::clear()
{
    ncFilePath_.clear();
    fields.ncFile.clear();
    ncFolder_.clear();
    fields.workingDir.clear();
}

void WindowState::dropFiles(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        fields.ncFile = path;
        chosen(path);
        if (fields.workingDir.empty()) {
            fields.workingDir = ncFolder_;
            workingFolder_ = ncFolder_;
        }
    }
}

void WindowState::takeArguments(const std::vector<std::string>& arguments)
{
    std::vector<std::string> files;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--grab") {
            ++i;  // the picture's path
        } else if (!arguments[i].starts_with("-")) {
            files.push_back(arguments[i]);
        }
    }
    if (!files.empty()) {
        dropFiles(files);
    }
}

void WindowState::start(run::Progress& progress)
{
    fields.panel = messages::kDropPrompt;
    checkErrors_ = 0;
    const run::Services services{dialogs_.messages, dialogs_.errors, dialogs_.shell, dialogs_.radius, progress};
    try {
        run::RunSettings settings = runSettings();
        // The machine profile is read for every run, so an edited one counts at once; one
        // that cannot be used stops the run before it starts.
        const std::string profile = machine::machineProfilePath(state_.programDir);
        if (!profile.empty()) {
            settings.machine = run::loadMachineProfile(profile);
        }
        lastRun_ = run::AnalysisRun(settings, state_, services);
    } catch (const std::exception& error) {
        dialogs_.errors.showError(util::withClosingPeriod(error.what()));
        return;
    }
    // A completed run with errors says so under the drop prompt: no dialog in the way.
    if (lastRun_.outcome != run::RunOutcome::Completed || !lastRun_.record) {
        return;
    }
    const auto& findings = lastRun_.record->findings;
    checkErrors_ = std::count_if(findings.begin(), findings.end(),
                                 [](const checks::Finding& f) { return f.severity == checks::Severity::Error; });
    if (checkErrors_ > 0 && !lastRun_.sheet.empty()) {
        fields.panel += "\n\n";
        fields.panel += messages::kCheckErrorsBefore;
        fields.panel += util::formatInt(checkErrors_);
        fields.panel += messages::kCheckErrorsAfter;
    }
}

void WindowState::openFindings()
{
    // The window's shell says itself when nothing could open the page.
    if (checkErrors_ > 0 && !lastRun_.sheet.empty()) {
        dialogs_.shell.openDocument(lastRun_.sheet);
    }
}

}  // namespace window
