// The run's figures as JSON (documented in docs/summary-json.md).
#pragma once

#include "record/ProgramRecord.h"

#include <string>

namespace record {

// Pretty-printed, UTF-8, ending with a line feed.
std::string summaryJson(const ProgramRecord& record);

}  // namespace record
