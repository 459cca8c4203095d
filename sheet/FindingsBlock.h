// The program checks' findings on the setup sheet: a block on page 1 with the counts and
// the findings (errors first), and each section's own.
#pragma once

#include "checks/Finding.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sheet {

// Findings of one code listed at most; the counts hold them all.
inline constexpr std::size_t kMaxFindingsShown = 50;

// The block for the whole program; nothing when there are no findings.
void appendFindingsBlock(std::string& out, const std::vector<checks::Finding>& findings);

// The findings on lines first..last, as a section block shows them.
void appendSectionFindings(std::string& out, const std::vector<checks::Finding>& findings, std::int64_t first,
                           std::int64_t last);

}  // namespace sheet
