#include "sheet/SheetPictures.h"

#include "report/BlockEntries.h"
#include "util/Number.h"

#include <algorithm>

namespace sheet {

std::uint8_t ToolColours::lookUp(int tool)
{
    lastTool_ = tool;
    const auto found = colours_.find(tool);
    if (found != colours_.end()) {
        lastColour_ = found->second;
        return lastColour_;
    }
    lastColour_ = static_cast<std::uint8_t>(colours_.size() % kToolColourCount);
    colours_.emplace(tool, lastColour_);
    order_.push_back(tool);
    return lastColour_;
}

namespace {

bool drawn(nc::MotionKind kind)
{
    switch (kind) {
    case nc::MotionKind::Rapid:
    case nc::MotionKind::Feed:
    case nc::MotionKind::Pecks:
    case nc::MotionKind::Arc:
    case nc::MotionKind::Hole:
        return true;
    default:
        return false;
    }
}

}  // namespace

void WholeProgramPicture::motion(const nc::Motion& m)
{
    if (m.kind == nc::MotionKind::Start) {
        picture_.markStart(m.to[0], m.to[1], m.to[2]);
        return;
    }
    if (!drawn(m.kind)) {
        return;
    }
    const std::size_t known = colours_.order().size();
    const std::uint8_t colour = colours_.of(m.tool);
    if (colours_.order().size() > known && known >= kToolColourCount) {
        unmarked_.insert(m.tool);
    }
    if (!unmarked_.empty() && m.kind != nc::MotionKind::Rapid && m.unknownAxes == 0 && unmarked_.erase(m.tool)) {
        picture_.markTool(m.tool, colour, m.to[0], m.to[1]);
    }
    picture_.add(m, colour);
}

void SectionPictures::motion(const nc::Motion& m)
{
    if (drawn(m.kind)) {
        current_.add(m, colours_.of(m.tool));
        return;
    }
    if (m.kind != nc::MotionKind::SectionEnd) {
        return;
    }
    if (m.keep && handed_ < kMaxPictures) {
        ++handed_;
        current_.compact();
        // While all of them fit there is nothing to keep them within: no thread for
        // that (most programs, and every small one).
        if (!keeperThread_ || (!keeper_.started() && sectionsSize_ + current_.estimatedSize() <= kBudget)) {
            keep(current_);
        } else {
            handing_.push_back(std::move(current_));
            keeper_.handOver(handing_);
        }
    }
    current_ = ToolpathPicture(WholeProgramPicture::kBudget);
}

void SectionPictures::keep(ToolpathPicture& picture)
{
    sectionsSize_ += picture.estimatedSize();
    sections_.push_back(std::move(picture));
    keepWithinBudget();
}

void SectionPictures::keepWithinBudget()
{
    // The largest picture gives up half its size until all fit; one far above an even
    // share goes straight to it (fitting it once, not step by step). One that can give
    // up nothing more is passed over.
    std::vector<bool> spent(sections_.size(), false);
    while (sectionsSize_ > kBudget) {
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
        const std::size_t share = kBudget / sections_.size();
        picture.fit(before > 2 * share ? share : before / 2);
        picture.compact();
        sectionsSize_ = sectionsSize_ - before + picture.estimatedSize();
        spent[largest] = picture.estimatedSize() >= before;
    }
}

std::vector<SheetPictures::LegendEntry> SheetPictures::legend(const record::ProgramRecord& record) const
{
    std::vector<LegendEntry> legend;
    const ToolColours& colours = whole_.colours();
    legend.reserve(colours.order().size());
    for (const int tool : colours.order()) {
        std::string label = "T" + util::formatInt(tool);
        const auto section = std::find_if(record.sections.begin(), record.sections.end(),
                                          [tool](const record::SectionRecord& s) { return s.tool == tool; });
        if (section != record.sections.end() && !section->description.empty()) {
            label += ' ';
            label += section->description;
        }
        std::string escaped;
        report::appendEscapedHtml(escaped, label);
        legend.push_back({std::move(escaped), colours.at(tool)});
    }
    return legend;
}

}  // namespace sheet
