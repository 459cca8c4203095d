#include "cli/DesktopStart.h"

#include "cli/System.h"
#include "machine/MachineProfile.h"
#include "run/AnalysisRun.h"
#include "util/File.h"
#include "util/UserError.h"

namespace cli {

namespace {

constexpr const char* kCaption = "Brelvane";

// Every question and message as a message box; nobody is there to type a radius, so the
// over-cut check, off by default, never asks.
class DesktopServices : public util::MessageBoxService,
                        public run::ErrorDisplay,
                        public run::Shell,
                        public report::RadiusPrompt,
                        public run::Progress {
public:
    explicit DesktopServices(const Desktop& desktop) : desktop_(desktop) {}

    Result showMessage(const std::string& text, const std::string& caption, Buttons buttons) override
    {
        const bool okCancel = buttons == Buttons::OkCancel;
        return desktop_.messageBox(text, caption, okCancel, false) || !okCancel ? Result::Ok : Result::Cancel;
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
};

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
    DesktopServices services(desktop);
    run::RunSettings settings;
    settings.ncFile = util::absolutePath(ncFile);
    settings.workingDir = util::folderOf(settings.ncFile);
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
        return 0;
    } catch (const std::exception& error) {
        services.showError(util::withClosingPeriod(error.what()));
        return 1;
    }
}

}  // namespace cli
