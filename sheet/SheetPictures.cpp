#include "sheet/SheetPictures.h"

#include "report/BlockEntries.h"
#include "sheet/PictureMath.h"
#include "sheet/PictureSvg.h"
#include "util/Number.h"

#include <algorithm>
#include <system_error>
#include <utility>

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

FirstSectionWatch::State FirstSectionWatch::see(const nc::Motion& m)
{
    if (state_ != State::Undecided) {
        return state_;
    }
    if (m.kind == nc::MotionKind::Start) {
        started_ = usable(m.to.data());
        start_ = m.to;
        return state_;
    }
    if (drawn(m.kind)) {
        // A line from the start point: the views' first move widens their boxes by it
        // before anything is decided, as the start point did.
        const bool line = m.kind == nc::MotionKind::Rapid || m.kind == nc::MotionKind::Feed;
        state_ = started_ && line && m.unknownAxes == 0 && usable(m.from.data()) && usable(m.to.data()) &&
                         m.from == start_
                     ? State::Follows
                     : State::Own;
    }
    // Sections that end before anything is drawn (before the first tool change) are
    // empty pictures either way: the first that draws is the one that may follow.
    return state_;
}

void FirstSection::give(ToolpathPicture picture)
{
    {
        const std::lock_guard lock(mutex_);
        picture_.emplace(std::move(picture));
    }
    ready_.notify_all();
}

bool FirstSection::take(ToolpathPicture& picture)
{
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return picture_.has_value() || abandoned_; });
    if (!picture_) {
        return false;
    }
    picture = std::move(*picture_);
    picture_.reset();
    return true;
}

void FirstSection::abandon()
{
    {
        const std::lock_guard lock(mutex_);
        abandoned_ = true;
    }
    ready_.notify_all();
}

void WholeProgramPicture::motion(const nc::Motion& m)
{
    try {
        draw(m);
    } catch (...) {
        // The sections' lane may be waiting for the first section: it waits no more.
        first_.abandon();
        throw;
    }
}

void WholeProgramPicture::draw(const nc::Motion& m)
{
    const FirstSectionWatch::State first = watch_.see(m);
    if (m.kind == nc::MotionKind::Start) {
        picture_.markStart(m.to[0], m.to[1], m.to[2]);
        return;
    }
    if (m.kind == nc::MotionKind::SectionEnd && !firstEnded_ && first != FirstSectionWatch::State::Undecided) {
        firstEnded_ = true;
        if (first == FirstSectionWatch::State::Follows && m.keep) {
            first_.give(picture_.withoutMarks());
        }
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
    const FirstSectionWatch::State first = watch_.see(m);
    const bool follows = !firstEnded_ && first == FirstSectionWatch::State::Follows;
    if (drawn(m.kind)) {
        const std::uint8_t colour = colours_.of(m.tool);
        if (!follows) {
            current_.add(m, colour);
        }
        return;
    }
    if (m.kind != nc::MotionKind::SectionEnd) {
        return;
    }
    if (!firstEnded_ && first != FirstSectionWatch::State::Undecided) {
        firstEnded_ = true;
        // The whole program's lane drew it: it comes from there, or not at all when that
        // lane failed (then nothing more is kept).
        if (follows && m.keep && !first_.take(current_)) {
            return;
        }
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

std::string SheetPictures::drawWhole()
{
    ToolpathPicture& picture = whole_.picture();
    if (picture.empty()) {
        return {};
    }
    // While the moves came it may have waited above its budget for its cells to pay.
    picture.fit(kPictureBudget);
    return pictureSvg(picture, kWholeWidth, "whole");
}

void SheetPictures::drawWholeAhead()
{
    if (wholeAhead_.valid() || whole_.picture().estimatedSize() < kDrawAheadBytes) {
        return;
    }
    try {
        wholeAhead_ = std::async(std::launch::async, [this] { return drawWhole(); });
    } catch (const std::system_error&) {
        // No thread to spare: the page draws it.
    }
}

std::string SheetPictures::wholeDrawing()
{
    return wholeAhead_.valid() ? wholeAhead_.get() : drawWhole();
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
