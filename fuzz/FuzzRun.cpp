// Fuzz target: arbitrary bytes as a whole NC file through a complete run, with scripted
// services, the report kept in memory. The run must end, never crash.
#include "run/AnalysisRun.h"
#include "tests/support/FakeServices.h"
#include "tests/support/TempDir.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

// The templates, written once, and the program as a file that each input replaces; on
// Linux a file in memory, so the run reads it as any file without a disk's cost.
struct Files {
    Files()
    {
#ifdef __linux__
        program = memfd_create("part.nc", 0);
        if (program < 0) {
            throw std::runtime_error("memfd_create failed");
        }
#endif
        std::filesystem::create_directory(util::nativePath(dir.file("templates")));
        testsupport::writeFile(dir.file("templates/hedder.txt"), "<html><body>\r\n");
        testsupport::writeFile(dir.file("templates/index.html"), "<html></html>\r\n");
    }
#ifdef __linux__
    bool setProgram(const std::uint8_t* data, std::size_t size) const
    {
        return ftruncate(program, 0) == 0 && pwrite(program, data, size, 0) == static_cast<ssize_t>(size);
    }
    std::string programPath() const { return "/proc/self/fd/" + std::to_string(program); }
    int program = -1;
#else
    bool setProgram(const std::uint8_t* data, std::size_t size) const
    {
        testsupport::writeFile(programPath(), std::string(reinterpret_cast<const char*>(data), size));
        return testsupport::readFile(programPath()).size() == size;
    }
    std::string programPath() const { return dir.file("part.nc"); }
#endif

    testsupport::TempDir dir;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Files files;
    if (!files.setProgram(data, size)) {
        throw std::runtime_error("the program could not be written");
    }

    testsupport::FakeServices fakes;
    fakes.radius.answers = {"2.5", std::nullopt, "x", "0"};
    run::AppState state;
    state.programDir = files.dir.file("templates");
    run::RunSettings settings;
    settings.ncFile = files.programPath();
    settings.workingDir = "/memory";
    settings.offsetCheck = size % 2 == 0;
    // A quarter of the inputs also make the setup sheet: its pictures have a target of
    // their own, and drawing them costs more than the rest of a short run. Chosen by the
    // bytes' sum, so a mutant chooses afresh: the corpus leans towards inputs that make
    // the sheet (its code adds coverage), and by their size their mutants would too.
    unsigned sum = 0;
    for (std::size_t i = 0; i < size; ++i) {
        sum += data[i];
    }
    settings.writeSheet = sum % 4 == 0;
    // A loop that never ends stops at the limit: a small one keeps each input quick. The
    // corpus leans towards loops (each pass adds moves to draw), and their time grows with
    // the limit: at 2,000 blocks and at 500 they took most of the target's time.
    settings.machine.maxBlocks = 200;
    report::MemoryOutput output;
    output.folders.insert(settings.workingDir);
    run::AnalysisRun(settings, state, fakes.services(), output);
    return 0;
}
