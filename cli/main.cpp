// brelvane-cli: analyses one NC program headless and prints where its report is.
#include "checks/Finding.h"
#include "cli/ConsoleServices.h"
#include "cli/DesktopStart.h"
#include "cli/FindingReport.h"
#include "cli/Options.h"
#include "cli/System.h"
#include "run/AnalysisRun.h"
#include "record/SummaryJson.h"
#include "util/File.h"

#include <cstdio>

namespace {

// The whole text to the file, or to standard output for "-"; false when it failed.
bool writeJson(const std::string& target, const std::string& text)
{
    if (target == "-") {
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
    }
    return util::writeWholeFile(target, text);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args = cli::system::arguments(argc, argv);
    if (cli::isDesktopStart(args, cli::system::startedFromDesktop())) {
        cli::system::leaveConsole();
        return cli::runFromDesktop(args[1], util::programDirectory(argv[0]), cli::systemDesktop());
    }
    const std::string codeset = cli::system::prepareConsole();

    // A program started with no arguments at all, not even its own name, has no options.
    const cli::ParseResult parsed =
        cli::parseOptions(args.empty() ? std::vector<std::string>() : std::vector<std::string>(args.begin() + 1, args.end()));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "brelvane-cli: %s\nTry 'brelvane-cli --help' for more information.\n",
                     parsed.error.c_str());
        return 2;
    }
    cli::Options options = parsed.options;
    if (options.help) {
        std::fputs(cli::kUsage, stdout);
        std::printf("\nCheck codes (for --ignore; each explained in docs/checks.md):\n  %s\n",
                    checks::checkCodeList().c_str());
        return 0;
    }
    if (options.version) {
        std::puts("brelvane-cli " BRELVANE_VERSION);
        return 0;
    }

    run::RunSettings settings = options.settings;
    if (!options.machine.empty()) {
        // A profile that cannot be used stops here: no run on the wrong machine.
        try {
            settings.machine = run::loadMachineProfile(options.machine);
        } catch (const machine::MachineProfileError& error) {
            std::fprintf(stderr, "brelvane-cli: %s\n", error.what());
            return 2;
        }
    }
    // As the window's folder browser would give it: absolute, so the report's links
    // resolve wherever it is opened from.
    settings.workingDir = options.workdirGiven ? util::absolutePath(settings.workingDir)
                                               : util::folderOf(util::absolutePath(settings.ncFile));

    run::AppState state;
    state.programDir =
        options.templates.empty() ? util::templatesDirectory(util::programDirectory(argv[0])) : options.templates;

    cli::ConsoleConfig config;
    config.yes = options.yes;
    config.radius = options.radius;
    config.openReport = options.open;
    config.quiet = options.quiet;
    config.interactive = cli::system::interactive();
    config.codeset = codeset;
    cli::ConsoleServices console(config, stdin, stderr);

    const run::RunResult result = run::AnalysisRun(settings, state, console.services());
    const bool jsonToStdout = options.json == "-";
    if (!options.json.empty() && !writeJson(options.json, record::summaryJson(*result.record))) {
        console.showMessage("JSON summary not written: " + options.json, "File Write Error",
                            util::MessageBoxService::Buttons::Ok);
        return 1;
    }
    // The findings are the checker's answer: printed also when quiet, with their count
    // also when there are none, for every run that read its program.
    if (result.outcome == run::RunOutcome::Completed || !result.record->findings.empty()) {
        console.print(cli::findingLines(settings.ncFile, result.record->findings));
    }
    if (result.outcome != run::RunOutcome::Completed) {
        return 1;
    }
    if (!options.quiet && !jsonToStdout) {
        std::printf("%s\n", result.indexPage.c_str());
        if (!result.sheet.empty()) {
            std::printf("%s\n", result.sheet.c_str());
        }
    }
    if (options.open && !result.opened) {
        console.showMessage("No program to open " + result.indexPage, "Shell Open", util::MessageBoxService::Buttons::Ok);
    }
    if (options.failOn && cli::hasFindingAtLeast(result.record->findings, *options.failOn)) {
        return 3;
    }
    return 0;
}
