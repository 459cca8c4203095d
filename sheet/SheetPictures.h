// The setup sheet's toolpath pictures, drawn from the motion stream: one of the whole
// program with a colour per tool, and one per tool section the sheet shows, together
// kept within a byte budget.
#pragma once

#include "nc/Motion.h"
#include "record/ProgramRecord.h"
#include "sheet/ToolpathPicture.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sheet {

class SheetPictures : public nc::MotionSink {
public:
    // The whole program's picture and all section pictures together stay within these.
    static constexpr std::size_t kPictureBudget = 240 * 1024;
    static constexpr std::size_t kSectionPicturesBudget = 2560 * 1024;
    // The sheet shows this many sections at most; later ones get no picture.
    static constexpr std::size_t kMaxSectionPictures = 200;

    void motion(const nc::Motion& motion) override;

    ToolpathPicture& wholePicture() { return whole_; }
    // One for each section kept, in order, up to kMaxSectionPictures.
    std::vector<ToolpathPicture>& sectionPictures() { return sections_; }
    // One label per colour: the tool and the description of its first section, HTML-escaped.
    std::vector<std::string> legend(const record::ProgramRecord& record) const;

private:
    std::uint8_t colourOf(int tool);
    void keepSectionsWithinBudget();

    ToolpathPicture whole_{kPictureBudget};
    ToolpathPicture current_{kPictureBudget};
    std::vector<ToolpathPicture> sections_;
    std::size_t sectionsSize_ = 0;  // their estimated sizes together
    std::map<int, std::uint8_t> colours_;  // tool: colour, in the order tools are first drawn
    int lastTool_ = 0;                     // the tool asked for last, and its colour
    std::uint8_t lastColour_ = 0;
};

}  // namespace sheet
