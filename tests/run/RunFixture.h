// A working folder with small templates, fake services and the front end's state, for
// running whole analyses in tests.
#pragma once

#include "run/AnalysisRun.h"
#include "tests/support/FakeServices.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace testsupport {

// Templates kept tiny so expected reports show the run's own bytes.
inline constexpr const char* kTestHeader = "<html><body>\r\n";
inline constexpr const char* kTestIndex = "<frameset><frame name=\"ncdata\"></frameset>\r\n";

class RunFixture : public testing::Test {
protected:
    RunFixture()
    {
        std::filesystem::create_directory(dir.file("templates"));
        writeFile(dir.file("templates/hedder.txt"), kTestHeader);
        writeFile(dir.file("templates/index.html"), kTestIndex);
        state.programDir = dir.file("templates");
        settings.workingDir = dir.path();
        settings.ncFile = dir.file("part.nc");
    }

    run::RunResult runWith(const std::string& program)
    {
        writeFile(settings.ncFile, program);
        return run::AnalysisRun(settings, state, fakes.services());
    }

    std::string result(const std::string& name) const { return readFile(dir.file("Result/" + name)); }
    std::string resultDir() const { return dir.file("Result"); }

    TempDir dir;
    FakeServices fakes;
    run::AppState state;
    run::RunSettings settings;
};

}  // namespace testsupport
