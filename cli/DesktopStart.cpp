#include "cli/DesktopStart.h"

#include "cli/MessageSubject.h"
#include "cli/System.h"
#include "machine/MachineProfile.h"
#include "run/AnalysisRun.h"
#include "util/File.h"
#include "util/Number.h"
#include "util/UserError.h"

namespace cli {

namespace {

constexpr const char* kCaption = "Brelvane";
// Error findings named in the box after a run; the sheet lists them all.
constexpr std::size_t kFindingsShown = 5;

// Every question and message as a message box; nobody is there to type a radius, so the
// over-cut check, off by default, never asks.
class DesktopServices : public util::MessageBoxService,
                        public run::ErrorDisplay,
                        public run::Shell,
                        public report::RadiusPrompt,
                        public run::Progress {
public:
    DesktopServices(const Desktop& desktop, const run::RunSettings& settings) : desktop_(desktop), settings_(settings)
    {
    }

    Result showMessage(const std::string& text, const std::string& caption, Buttons buttons) override
    {
        const bool okCancel = buttons == Buttons::OkCancel;
        const std::string subject = messageSubject(text, settings_);
        const std::string shown = subject.empty() ? text : text + "\n\n" + subject;
        // What the run only tells, it tells of a failure.
        return desktop_.messageBox(shown, caption, okCancel, !okCancel) || !okCancel ? Result::Ok : Result::Cancel;
    }
    void showError(const std::string& message) override { desktop_.messageBox(message, kCaption, false, true); }
    bool openDocument(const std::string& path) override { return desktop_.openDocument(path); }
    std::optional<std::string> askRadius(int /*dNumber*/, const std::string& /*promptText*/) override
    {
        return std::nullopt;
    }
    void progress(std::uint64_t /*bytesRead*/, std::uint64_t /*bytesTotal*/) override {}

    run::Services services() { return {*this, *this, *this, *this, *this}; }

private:
    const Desktop& desktop_;
    const run::RunSettings& settings_;
};

// The box after a run that found errors: how many, the first of them, and whether to open
// the sheet that lists them all. Nothing when there are none.
void offerFindings(const run::RunResult& result, const Desktop& desktop)
{
    std::vector<const checks::Finding*> errors;
    for (const checks::Finding& f : result.record->findings) {
        if (f.severity == checks::Severity::Error) {
            errors.push_back(&f);
        }
    }
    if (errors.empty() || result.sheet.empty()) {
        return;
    }
    std::string text = "プログラムチェックでエラーが " + util::formatInt(static_cast<long long>(errors.size())) +
                       " 件見つかりました。\n\n";
    for (std::size_t i = 0; i < errors.size() && i < kFindingsShown; ++i) {
        const checks::Finding& f = *errors[i];
        text += util::formatInt(f.fileLine != 0 ? f.fileLine : f.line) + " 行: " + f.message + "\n";
    }
    if (errors.size() > kFindingsShown) {
        text += "ほか " + util::formatInt(static_cast<long long>(errors.size() - kFindingsShown)) + " 件\n";
    }
    text += "\n段取りシートを開いて、すべての指摘を見ますか？";
    if (desktop.messageBox(text, kCaption, true, false)) {
        desktop.openDocument(result.sheet);
    }
}

}  // namespace

Desktop systemDesktop()
{
    return {system::messageBox, system::openDocument};
}

bool isDesktopStart(const std::vector<std::string>& args, bool startedFromDesktop)
{
    return startedFromDesktop && args.size() == 2 && !args[1].empty() && args[1][0] != '-';
}

int runFromDesktop(const std::string& ncFile, const std::string& programDir, const Desktop& desktop)
{
    run::RunSettings settings;
    settings.ncFile = util::absolutePath(ncFile);
    settings.workingDir = util::folderOf(settings.ncFile);
    DesktopServices services(desktop, settings);
    try {
        if (const std::string profile = machine::machineProfilePath(programDir); !profile.empty()) {
            settings.machine = run::loadMachineProfile(profile);
        }
        run::AppState state;
        state.programDir = util::templatesDirectory(programDir);
        const run::RunResult result = run::AnalysisRun(settings, state, services.services());
        if (result.outcome != run::RunOutcome::Completed) {
            return 1;
        }
        if (!result.opened) {
            services.showMessage("No program to open " + result.indexPage, "Shell Open",
                                 util::MessageBoxService::Buttons::Ok);
        }
        offerFindings(result, desktop);
        return 0;
    } catch (const std::exception& error) {
        services.showError(util::withClosingPeriod(error.what()));
        return 1;
    }
}

}  // namespace cli
