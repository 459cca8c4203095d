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

// Which colour each tool draws in: in turn, in the order the tools first draw.
class ToolColours {
public:
    std::uint8_t colourOf(int tool);
    // Tools past the colours' count: their colour is another's, so their number is marked
    // once, where they first cut.
    bool takeUnmarked(int tool) { return !unmarked_.empty() && unmarked_.erase(tool) > 0; }
    const std::vector<int>& order() const { return order_; }
    std::uint8_t at(int tool) const { return colours_.at(tool); }

private:
    std::map<int, std::uint8_t> colours_;  // tool: colour
    int lastTool_ = 0;                     // the tool asked for last, and its colour
    std::uint8_t lastColour_ = 0;
    std::vector<int> order_;  // the tools in the order they are first drawn
    std::set<int> unmarked_;  // tools past the colours' count whose number waits for their first cut
};

class SheetPictures : public nc::MotionSink {
public:
    // The whole program's picture and all section pictures together stay within these.
    static constexpr std::size_t kPictureBudget = 240 * 1024;
    static constexpr std::size_t kSectionPicturesBudget = 2560 * 1024;
    // The sheet shows this many sections at most; later ones get no picture.
    static constexpr std::size_t kMaxSectionPictures = 200;

    // Both halves at once.
    void motion(const nc::Motion& motion) override
    {
        whole_.motion(motion);
        sections_.motion(motion);
    }
    // The whole program's picture and the section pictures each take the whole stream and
    // share nothing: each may be drawn on a thread of its own.
    nc::MotionSink& wholeSink() { return whole_; }
    nc::MotionSink& sectionsSink() { return sections_; }

    ToolpathPicture& wholePicture() { return whole_.picture; }
    // One for each section kept, in order, up to kMaxSectionPictures.
    std::vector<ToolpathPicture>& sectionPictures() { return sections_.keptPictures(); }
    // One entry per tool, in the order they are first drawn: the tool and the description
    // of its first section, HTML-escaped, and its colour.
    struct LegendEntry {
        std::string label;
        std::uint8_t colour = 0;
    };
    std::vector<LegendEntry> legend(const record::ProgramRecord& record) const;

private:
    struct Whole : nc::MotionSink {
        void motion(const nc::Motion& motion) override;
        ToolpathPicture picture{kPictureBudget};
        ToolColours colours;
    };
    // Each section's picture is drawn as its moves come; when the section ends and the
    // pictures no longer fit their budget, it is handed to a thread of its own that keeps
    // them within it, in the order they came, while the next one is drawn.
    struct Sections : nc::MotionSink {
        void motion(const nc::Motion& motion) override;
        // On the keeper's thread once it runs.
        void keep(ToolpathPicture& picture);
        void keepWithinBudget();
        // Waits until every picture handed over is kept.
        std::vector<ToolpathPicture>& keptPictures()
        {
            keeper.finish();
            return kept;
        }
        ToolpathPicture current{kPictureBudget};
        std::size_t handed = 0;                // pictures kept or handed to the keeper
        std::vector<ToolpathPicture> handing;  // the one being handed over
        std::vector<ToolpathPicture> kept;
        std::size_t keptSize = 0;  // their estimated sizes together
        ToolColours colours;
        // Last: its thread stops before what it reaches goes.
        // One picture waits at most: each holds up to a whole budget of strokes.
        util::HandOff<std::vector<ToolpathPicture>> keeper{[this](std::vector<ToolpathPicture>& batch) {
                                                               for (ToolpathPicture& picture : batch) {
                                                                   keep(picture);
                                                               }
                                                           },
                                                           1};
    };
    Whole whole_;
    // On cache lines of their own: the two may be drawn on two threads.
    alignas(64) Sections sections_;
};

}  // namespace sheet
