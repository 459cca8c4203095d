// The program checks' findings as the command line prints them: one line each in the form
// compilers use, so an editor can jump to it, then a count by severity.
#pragma once

#include "checks/Finding.h"

#include <optional>
#include <string>
#include <vector>

namespace cli {

// At most this many findings of one code are printed; the rest are counted.
inline constexpr std::size_t kFindingsPerCode = 20;

// "FILE:LINE: error: MESSAGE [code]" lines in line order, "… and N more [code]" for what
// was left out, and the counts (also when nothing was found). UTF-8.
std::string findingLines(const std::string& file, const std::vector<checks::Finding>& findings);

// Whether a finding of `severity` or worse is among them.
bool hasFindingAtLeast(const std::vector<checks::Finding>& findings, checks::Severity severity);

}  // namespace cli
