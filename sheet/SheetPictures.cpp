#include "sheet/SheetPictures.h"

#include "report/BlockEntries.h"
#include "util/Number.h"

#include <algorithm>

namespace sheet {

std::uint8_t ToolColours::colourOf(int tool)
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

namespace {

bool draws(nc::MotionKind kind)
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

void SheetPictures::Whole::motion(const nc::Motion& m)
{
    if (m.kind == nc::MotionKind::Start) {
        picture.markStart(m.to[0], m.to[1], m.to[2]);
        return;
    }
    if (!draws(m.kind)) {
        return;
    }
    const std::uint8_t colour = colours.colourOf(m.tool);
    if (m.kind != nc::MotionKind::Rapid && m.unknownAxes == 0 && colours.takeUnmarked(m.tool)) {
        picture.markTool(m.tool, static_cast<std::uint8_t>(colour % kToolColourCount), m.to[0], m.to[1]);
    }
    picture.add(m, colour);
}

void SheetPictures::Sections::motion(const nc::Motion& m)
{
    if (draws(m.kind)) {
        current.add(m, colours.colourOf(m.tool));
        return;
    }
    if (m.kind != nc::MotionKind::SectionEnd) {
        return;
    }
    if (m.keep && handed < kMaxSectionPictures) {
        ++handed;
        current.compact();
        // While all of them fit there is nothing to keep them within: no thread for that
        // (most programs, and every small one).
        if (!keeper.started() && keptSize + current.estimatedSize() <= kSectionPicturesBudget) {
            keep(current);
        } else {
            handing.push_back(std::move(current));
            keeper.handOver(handing);
        }
    }
    current = ToolpathPicture(kPictureBudget);
}

void SheetPictures::Sections::keep(ToolpathPicture& picture)
{
    keptSize += picture.estimatedSize();
    kept.push_back(std::move(picture));
    keepWithinBudget();
}

void SheetPictures::Sections::keepWithinBudget()
{
    // The largest picture gives up half its size until all fit; one far above an even
    // share goes straight to it (fitting it once, not step by step). One that can give
    // up nothing more is passed over.
    std::vector<bool> spent(kept.size(), false);
    while (keptSize > kSectionPicturesBudget) {
        std::size_t largest = kept.size();
        for (std::size_t i = 0; i < kept.size(); ++i) {
            if (!spent[i] && (largest == kept.size() || kept[i].estimatedSize() > kept[largest].estimatedSize())) {
                largest = i;
            }
        }
        if (largest == kept.size()) {
            break;  // nothing left to give up
        }
        ToolpathPicture& picture = kept[largest];
        const std::size_t before = picture.estimatedSize();
        const std::size_t share = kSectionPicturesBudget / kept.size();
        picture.fit(before > 2 * share ? share : before / 2);
        picture.compact();
        keptSize = keptSize - before + picture.estimatedSize();
        spent[largest] = picture.estimatedSize() >= before;
    }
}

std::vector<SheetPictures::LegendEntry> SheetPictures::legend(const record::ProgramRecord& record) const
{
    std::vector<LegendEntry> legend;
    legend.reserve(whole_.colours.order().size());
    for (const int tool : whole_.colours.order()) {
        std::string label = "T" + util::formatInt(tool);
        const auto section = std::find_if(record.sections.begin(), record.sections.end(),
                                          [tool](const record::SectionRecord& s) { return s.tool == tool; });
        if (section != record.sections.end() && !section->description.empty()) {
            label += ' ';
            label += section->description;
        }
        std::string escaped;
        report::appendEscapedHtml(escaped, label);
        legend.push_back({std::move(escaped), whole_.colours.at(tool)});
    }
    return legend;
}

}  // namespace sheet
