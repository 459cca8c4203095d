// What a setter looks for first: page 1's table of the tool sections, and each section's
// feeds, speeds, units, work offsets, stops and operations under its heading.
#pragma once

#include "record/ProgramRecord.h"

#include <string>

namespace sheet {

// `<table class="tools">`, one body row per section, in order.
void appendToolTable(std::string& out, const record::ProgramRecord& record);

// The section's facts from the motion stream, as lines under its heading.
void appendSectionFacts(std::string& out, const record::SectionRecord& section);

// "mm", "inch" or "mm / inch" for a program that switches: of the whole program.
std::string programUnits(const record::ProgramRecord& record);

}  // namespace sheet
