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
    lastColour_ = static_cast<std::uint8_t>(colours_.size() % kToolColourCount);
    if (colours_.size() >= kToolColourCount) {
        unmarked_.insert(tool);
    }
    colours_.emplace(tool, lastColour_);
    order_.push_back(tool);
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
    case nc::MotionKind::Pecks:
    case nc::MotionKind::Arc:
    case nc::MotionKind::Hole: {
        const std::uint8_t colour = colourOf(m.tool);
        if (!unmarked_.empty() && m.kind != nc::MotionKind::Rapid && m.unknownAxes == 0 && unmarked_.erase(m.tool)) {
            whole_.markTool(m.tool, static_cast<std::uint8_t>(colour % kToolColourCount), m.to[0], m.to[1]);
        }
        whole_.add(m, colour);
        current_.add(m, colour);
        return;
    }
    case nc::MotionKind::SectionEnd:
        if (m.keep && handed_ < kMaxSectionPictures) {
            ++handed_;
            current_.compact();
            // While all of them fit there is nothing to keep them within: no thread for
            // that (most programs, and every small one).
            if (!keeperThread_ ||
                (!keeper_.started() && sectionsSize_ + current_.estimatedSize() <= kSectionPicturesBudget)) {
                keep(current_);
            } else {
                handing_.push_back(std::move(current_));
                keeper_.handOver(handing_);
            }
        }
        current_ = ToolpathPicture(kPictureBudget);
        return;
    default:
        return;
    }
}

void SheetPictures::keep(ToolpathPicture& picture)
{
    sectionsSize_ += picture.estimatedSize();
    sections_.push_back(std::move(picture));
    keepSectionsWithinBudget();
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

std::vector<SheetPictures::LegendEntry> SheetPictures::legend(const record::ProgramRecord& record) const
{
    std::vector<LegendEntry> legend;
    legend.reserve(order_.size());
    for (const int tool : order_) {
        std::string label = "T" + util::formatInt(tool);
        const auto section = std::find_if(record.sections.begin(), record.sections.end(),
                                          [tool](const record::SectionRecord& s) { return s.tool == tool; });
        if (section != record.sections.end() && !section->description.empty()) {
            label += ' ';
            label += section->description;
        }
        std::string escaped;
        report::appendEscapedHtml(escaped, label);
        legend.push_back({std::move(escaped), colours_.at(tool)});
    }
    return legend;
}

}  // namespace sheet
