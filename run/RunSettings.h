// The inputs of one analysis run, as the window or the command line gives them.
#pragma once

#include "machine/MachineProfile.h"

#include <string>
#include <vector>

namespace run {

struct RunSettings {
    std::string ncFile;               // the NC program (UTF-8 path)
    std::string workingDir;           // existing folder that holds the result folder
    std::string resultDirName = "Result";
    // The start point as typed; converted during the run, so a bad text ends it there.
    std::string startX = "0";
    std::string startY = "0";
    std::string startZ = "200";
    bool offsetCheck = false;         // check compensated arcs against the tool radius
    bool writeSheet = true;           // a completed run also writes the setup sheet
    machine::MachineProfile machine;  // the machine whose times are given beside the classic ones
    std::vector<std::string> ignoreChecks;  // check codes left out, beside the profile's
    bool operator==(const RunSettings&) const = default;
};

// A machine profile as a run takes it: its check codes must be the checks' own.
// Throws machine::MachineProfileError.
machine::MachineProfile loadMachineProfile(const std::string& path);

}  // namespace run
