// Fuzz target: arbitrary bytes as a whole NC file through a complete run into a
// temporary folder, with scripted services. The run must end, never crash.
#include "run/AnalysisRun.h"
#include "tests/support/FakeServices.h"
#include "tests/support/TempDir.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const testsupport::TempDir dir;
    std::filesystem::create_directory(dir.file("templates"));
    testsupport::writeFile(dir.file("templates/hedder.txt"), "<html><body>\r\n");
    testsupport::writeFile(dir.file("templates/index.html"), "<html></html>\r\n");
    testsupport::writeFile(dir.file("part.nc"), std::string(reinterpret_cast<const char*>(data), size));

    testsupport::FakeServices fakes;
    fakes.radius.answers = {"2.5", std::nullopt, "x", "0"};
    run::AppState state;
    state.programDir = dir.file("templates");
    run::RunSettings settings;
    settings.ncFile = dir.file("part.nc");
    settings.workingDir = dir.path();
    settings.offsetCheck = size % 2 == 0;
    run::AnalysisRun(settings, state, fakes.services());
    return 0;
}
