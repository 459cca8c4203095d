// brelvane-cli: analyses one NC program headless and prints where its report is.
#include "checks/Finding.h"
#include "cli/ConsoleServices.h"
#include "cli/DesktopStart.h"
#include "cli/FindingReport.h"
#include "cli/Options.h"
#include "cli/System.h"
#include "run/AnalysisRun.h"
#include "record/SummaryJson.h"
#include "util/Cp932.h"
#include "util/File.h"

#include <cstdio>
#include <exception>
#include <new>

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
    const bool fromDesktop = cli::system::startedFromDesktop();
    // A double-click with no file wants the window, where there is one.
    if (fromDesktop && args.size() <= 1 && cli::system::startWindow(util::programDirectory(argv[0]))) {
        return 0;
    }
    if (cli::isDesktopStart(args, fromDesktop)) {
        cli::system::leaveConsole();
        return cli::runFromDesktop(args[1], util::programDirectory(argv[0]), cli::systemDesktop());
    }
    const std::string codeset = cli::system::prepareConsole();

    // A program started with no arguments at all, not even its own name, has no options.
    const cli::ParseResult parsed =
        cli::parseOptions(args.empty() ? std::vector<std::string>() : std::vector<std::string>(args.begin() + 1, args.end()));
    if (!parsed.error.empty()) {
        cli::system::write(stderr, "brelvane-cli: " + parsed.error + "\nTry 'brelvane-cli --help' for more information.\n");
        return 2;
    }
    cli::Options options = parsed.options;
    if (options.help) {
#ifdef _WIN32
        constexpr bool kWindows = true;
#else
        constexpr bool kWindows = false;
#endif
        const std::string help = cli::usage(cli::system::japaneseUser(), kWindows) + "  " + checks::checkCodeList() + "\n";
        cli::system::write(stdout, util::fromUtf8(help, codeset));
        return 0;
    }
    if (options.version) {
        cli::system::write(stdout, "brelvane-cli " BRELVANE_VERSION "\n");
        return 0;
    }

    run::RunSettings settings = options.settings;
    if (!options.machine.empty()) {
        // A profile that cannot be used stops here: no run on the wrong machine.
        try {
            settings.machine = run::loadMachineProfile(options.machine);
        } catch (const machine::MachineProfileError& error) {
            cli::system::write(stderr, std::string("brelvane-cli: ") + error.what() + "\n");
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
    config.settings = settings;
    cli::ConsoleServices console(config, stdin, stderr);

    run::RunResult result;
    try {
        result = run::AnalysisRun(settings, state, console.services());
    } catch (const std::bad_alloc&) {
        // Said in one line with a failed run's exit status, as the window says it in its
        // error box, not ended by the runtime with a core dump.
        cli::system::write(stderr, "brelvane-cli: out of memory\n");
        return 1;
    } catch (const std::exception& error) {
        // Not the program's fault but ours.
        cli::system::write(stderr, std::string("brelvane-cli: internal error: ") + error.what() + "\n");
        return 1;
    }
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
        cli::system::write(stdout, result.indexPage + "\n" + (result.sheet.empty() ? "" : result.sheet + "\n"));
    }
    if (options.open && !result.opened) {
        console.showMessage("No program to open " + result.indexPage, "Shell Open", util::MessageBoxService::Buttons::Ok);
    }
    if (options.failOn && cli::hasFindingAtLeast(result.record->findings, *options.failOn)) {
        return 3;
    }
    return 0;
}
