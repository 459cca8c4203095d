// The setup sheet's toolpath pictures, drawn from the motion stream: one of the whole
// program with a colour per tool, and one per tool section the sheet shows, together
// kept within a byte budget.
#pragma once

#include "nc/Motion.h"
#include "record/ProgramRecord.h"
#include "sheet/ToolpathPicture.h"
#include "util/HandOff.h"

#include <cstdint>
#include <map>
#include <set>
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

    // Where pictures past the budget are kept within it: on a thread of their own while
    // the next section is drawn, or where the motions come (the same pictures, slower).
    enum class Keeper { OwnThread, Inline };
    explicit SheetPictures(Keeper keeper = Keeper::OwnThread) : keeperThread_(keeper == Keeper::OwnThread) {}

    void motion(const nc::Motion& motion) override;

    ToolpathPicture& wholePicture() { return whole_; }
    // One for each section kept, in order, up to kMaxSectionPictures. Waits until every
    // picture handed to the keeper is kept: call it after the motions' thread is done.
    std::vector<ToolpathPicture>& sectionPictures()
    {
        keeper_.finish();
        return sections_;
    }
    // One entry per tool, in the order they are first drawn: the tool and the description
    // of its first section, HTML-escaped, and its colour.
    struct LegendEntry {
        std::string label;
        std::uint8_t colour = 0;
    };
    std::vector<LegendEntry> legend(const record::ProgramRecord& record) const;

private:
    std::uint8_t colourOf(int tool);
    // On the keeper's thread once it runs.
    void keep(ToolpathPicture& picture);
    void keepSectionsWithinBudget();

    ToolpathPicture whole_{kPictureBudget};
    ToolpathPicture current_{kPictureBudget};
    bool keeperThread_ = true;
    std::size_t handed_ = 0;                // section pictures kept or handed to the keeper
    std::vector<ToolpathPicture> handing_;  // the one being handed over
    // Only the keeper's thread touches these once it runs.
    std::vector<ToolpathPicture> sections_;
    std::size_t sectionsSize_ = 0;  // their estimated sizes together
    std::map<int, std::uint8_t> colours_;  // tool: colour
    int lastTool_ = 0;                     // the tool asked for last, and its colour
    std::uint8_t lastColour_ = 0;
    std::vector<int> order_;  // the tools in the order they are first drawn
    std::set<int> unmarked_;  // tools past the colours' count whose number waits for their first cut
    // When a section ends and the pictures no longer fit their budget, its picture goes to
    // a thread of its own that keeps them within it, in the order they came, while the
    // next one is drawn. One picture waits at most: each holds up to a budget of strokes.
    // Last: its thread stops before what it reaches goes.
    util::HandOff<std::vector<ToolpathPicture>> keeper_{[this](std::vector<ToolpathPicture>& batch) {
                                                            for (ToolpathPicture& picture : batch) {
                                                                keep(picture);
                                                            }
                                                        },
                                                        1};
};

}  // namespace sheet
