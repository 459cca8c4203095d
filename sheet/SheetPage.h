// The setup sheet: one self-contained, printable HTML5 page (UTF-8) per completed run, with
// the program's totals, one block per tool section and the toolpath pictures.
#pragma once

#include "record/ProgramRecord.h"
#include "sheet/SheetPictures.h"

#include <string>

namespace sheet {

// The sheet stays under this size whatever the program: pictures are fitted to what is
// left once the text is known, and at most kMaxSectionBlocks sections get a block.
inline constexpr std::size_t kSheetBudget = 4 * 1024 * 1024 - 64 * 1024;
inline constexpr std::size_t kMaxSectionBlocks = SheetPictures::kMaxSectionPictures;
inline constexpr std::size_t kMaxOvercutLinesShown = 30;

// `endedEarly`: for a run that ended early, where and why; the sheet then says so above
// the figures of what was read.
std::string sheetPage(const record::ProgramRecord& record, SheetPictures& pictures, const std::string& endedEarly = {});

// "1時間23分 (83.4 分)".
std::string sheetTime(double minutes);

}  // namespace sheet
