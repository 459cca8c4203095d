#include "sheet/SheetPictures.h"

#include "report/BlockEntries.h"
#include "util/Number.h"

#include <algorithm>

namespace sheet {

std::uint8_t SheetPictures::colourOf(int tool)
{
    if (tool == lastTool_ && !colours_.empty()) {
        return lastColour_;
    }
    lastTool_ = tool;
    const auto found = colours_.find(tool);
    if (found != colours_.end()) {
        lastColour_ = found->second;
        return lastColour_;
    }
    lastColour_ = static_cast<std::uint8_t>(colours_.size() % 256);
    colours_.emplace(tool, lastColour_);
    return lastColour_;
}

void SheetPictures::motion(const nc::Motion& m)
{
    switch (m.kind) {
    case nc::MotionKind::Start:
        whole_.markStart(m.to[0], m.to[1], m.to[2]);
        return;
    case nc::MotionKind::Rapid:
    case nc::MotionKind::Feed:
    case nc::MotionKind::Arc:
    case nc::MotionKind::Hole: {
        const std::uint8_t colour = colourOf(m.tool);
        whole_.add(m, colour);
        current_.add(m, colour);
        return;
    }
    case nc::MotionKind::SectionEnd:
        if (m.keep && sections_.size() < kMaxSectionPictures) {
            sectionsSize_ += current_.estimatedSize();
            current_.compact();
            sections_.push_back(std::move(current_));
            keepSectionsWithinBudget();
        }
        current_ = ToolpathPicture(kPictureBudget);
        return;
    default:
        return;
    }
}

void SheetPictures::keepSectionsWithinBudget()
{
    // The largest picture gives up half its size until all fit; one far above an even
    // share goes straight to it (fitting it once, not step by step).
    while (sectionsSize_ > kSectionPicturesBudget) {
        auto largest = std::max_element(sections_.begin(), sections_.end(),
                                        [](const ToolpathPicture& x, const ToolpathPicture& y) {
                                            return x.estimatedSize() < y.estimatedSize();
                                        });
        const std::size_t before = largest->estimatedSize();
        const std::size_t share = kSectionPicturesBudget / sections_.size();
        largest->fit(before > 2 * share ? share : before / 2);
        largest->compact();
        sectionsSize_ = sectionsSize_ - before + largest->estimatedSize();
        if (largest->estimatedSize() >= before) {
            break;  // nothing left to give up
        }
    }
}

std::vector<std::string> SheetPictures::legend(const record::ProgramRecord& record) const
{
    std::vector<std::string> legend(colours_.size());
    for (const auto& [tool, colour] : colours_) {
        std::string label = "T" + util::formatInt(tool);
        const auto section = std::find_if(record.sections.begin(), record.sections.end(),
                                          [tool = tool](const record::SectionRecord& s) { return s.tool == tool; });
        if (section != record.sections.end() && !section->description.empty()) {
            label += ' ';
            label += section->description;
        }
        std::string escaped;
        report::appendEscapedHtml(escaped, label);
        legend[colour] = std::move(escaped);
    }
    return legend;
}

}  // namespace sheet
