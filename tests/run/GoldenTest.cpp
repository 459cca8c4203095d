#include "nc/MotionDump.h"
#include "run/AnalysisRun.h"
#include "tests/support/FakeServices.h"
#include "tests/support/Golden.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

class ScriptedRadius : public report::RadiusPrompt {
public:
    explicit ScriptedRadius(std::map<int, std::string> answers) : answers_(std::move(answers)) {}
    std::optional<std::string> askRadius(int dNumber, const std::string&) override
    {
        const auto it = answers_.find(dNumber);
        return it == answers_.end() ? std::nullopt : std::optional<std::string>(it->second);
    }

private:
    std::map<int, std::string> answers_;
};

class GoldenReport : public testing::TestWithParam<std::string> {};

TEST_P(GoldenReport, MatchesTheExpectedFilesByteForByte)
{
    const std::string name = GetParam();
    const testsupport::GoldenSettings golden = testsupport::goldenSettings(name);
    testsupport::TempDir dir;
    testsupport::FakeServices fakes;
    ScriptedRadius radius(golden.radius);
    run::AppState state;
    state.programDir = (testsupport::goldenRoot() / "templates").string();
    run::RunSettings settings;
    settings.ncFile = (testsupport::goldenRoot() / name / "input.nc").string();
    settings.workingDir = dir.path();
    settings.startX = golden.startX;
    settings.startY = golden.startY;
    settings.startZ = golden.startZ;
    settings.offsetCheck = golden.offsetCheck;
    nc::MotionDump dump;
    run::Services services{fakes.messages, fakes.errors, fakes.shell, radius, fakes.progress};
    services.motions = &dump;

    const run::RunResult result = run::AnalysisRun(settings, state, services);
    ASSERT_EQ(result.outcome, run::RunOutcome::Completed) << (fakes.errors.shown.empty() ? "" : fakes.errors.shown[0]);
    const std::string resultDir = dir.file("Result");
    for (const char* file : {"index.html", "jump.html", "data.html"}) {
        testsupport::expectGolden(name, file, testsupport::readFile(resultDir + "/" + file), resultDir);
    }
    // What the machine does, as the stream says it: a change shows as a diff to review.
    testsupport::expectGolden(name, "motions.txt", dump.text(), resultDir);

    // The same run kept in memory writes the same files, the sheet among them.
    run::AppState memoryState;
    memoryState.programDir = state.programDir;
    report::MemoryOutput memory;
    memory.folders.insert(dir.path());
    services.motions = nullptr;
    const run::RunResult inMemory = run::AnalysisRun(settings, memoryState, services, memory);
    ASSERT_EQ(inMemory.outcome, run::RunOutcome::Completed);
    EXPECT_TRUE(memory.folders.contains(resultDir));
    for (const char* file : {"index.html", "jump.html", "data.html"}) {
        EXPECT_EQ(memory.files[util::joinPath(resultDir, file)], testsupport::readFile(resultDir + "/" + file)) << file;
    }
    EXPECT_EQ(memory.files.size(), 4u);
    EXPECT_EQ(memory.files[util::joinPath(resultDir, "sheet.html")].size(), testsupport::readFile(resultDir + "/sheet.html").size());
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenReport, testing::ValuesIn(testsupport::goldenCases()),
                         testsupport::goldenCaseName);

// The examples, run as the command line runs them (start 0,0,200, no over-cut check):
// their pages and streams live in golden/examples/<name>/expected.
class ExampleMotions : public testing::TestWithParam<std::string> {};

TEST_P(ExampleMotions, MatchTheExpectedDump)
{
    const std::string name = GetParam();
    testsupport::TempDir dir;
    testsupport::FakeServices fakes;
    nc::MotionDump dump;
    run::Services services = fakes.services();
    services.motions = &dump;
    run::AppState state;
    state.programDir = (testsupport::goldenRoot() / "templates").string();
    run::RunSettings settings;
    settings.ncFile = std::string(BRELVANE_EXAMPLES_DIR) + "/" + name + ".nc";
    settings.workingDir = dir.path();
    settings.writeSheet = false;
    ASSERT_EQ(run::AnalysisRun(settings, state, services).outcome, run::RunOutcome::Completed);
    testsupport::expectGolden("examples/" + name, "motions.txt", dump.text(), dir.file("Result"));
    for (const char* file : {"index.html", "jump.html", "data.html"}) {
        testsupport::expectGolden("examples/" + name, file, testsupport::readFile(dir.file("Result") + "/" + file),
                                  dir.file("Result"));
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleMotions, testing::Values("bracket", "surface", "plate", "boltcircle", "probe"));

}  // namespace
