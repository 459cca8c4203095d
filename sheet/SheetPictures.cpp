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
            current_.compact();
            sectionsSize_ += current_.estimatedSize();
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
    // share goes straight to it (fitting it once, not step by step). One that can give
    // up nothing more is passed over.
    std::vector<bool> spent(sections_.size(), false);
    while (sectionsSize_ > kSectionPicturesBudget) {
        std::size_t largest = sections_.size();
        for (std::size_t i = 0; i < sections_.size(); ++i) {
            if (!spent[i] && (largest == sections_.size() ||
                              sections_[i].estimatedSize() > sections_[largest].estimatedSize())) {
                largest = i;
            }
        }
        if (largest == sections_.size()) {
            break;  // nothing left to give up
        }
        ToolpathPicture& picture = sections_[largest];
        const std::size_t before = picture.estimatedSize();
        const std::size_t share = kSectionPicturesBudget / sections_.size();
        picture.fit(before > 2 * share ? share : before / 2);
        picture.compact();
        sectionsSize_ = sectionsSize_ - before + picture.estimatedSize();
        spent[largest] = picture.estimatedSize() >= before;
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
