// Fuzz target: arbitrary numbers (NaN, infinities and huge values among them) as the
// moves of a toolpath picture and as points of the path simplifier. The fitted picture is
// within its budget and its SVG holds only numbers.
#include "sheet/PictureSvg.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool more() const { return at_ + sizeof(double) <= size_; }
    double number()
    {
        double v = 0.0;
        if (more()) {
            std::memcpy(&v, data_ + at_, sizeof v);
            at_ += sizeof v;
        }
        return v;
    }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Reader in(data, size);
    constexpr std::size_t kBudget = 8 * 1024;
    sheet::ToolpathPicture picture(kBudget);
    sheet::PathSimplifier simplifier(std::abs(in.number()));
    std::vector<sheet::PathSimplifier::Point> kept;
    picture.markStart(in.number(), in.number(), in.number());
    while (in.more()) {
        nc::Motion m;
        const std::uint8_t kind = in.byte();
        constexpr nc::MotionKind kKinds[] = {nc::MotionKind::Rapid, nc::MotionKind::Feed, nc::MotionKind::Arc,
                                             nc::MotionKind::Hole, nc::MotionKind::SectionEnd,
                                             nc::MotionKind::Pecks};
        m.kind = kKinds[(kind & 7) % 6];
        m.angleIncreasing = (kind & 16) != 0;
        const int planes[3][2] = {{0, 1}, {0, 2}, {1, 2}};
        const auto plane = static_cast<std::size_t>((kind >> 5) % 3);
        m.axis1 = static_cast<std::int8_t>(planes[plane][0]);
        m.axis2 = static_cast<std::int8_t>(planes[plane][1]);
        for (std::size_t k = 0; k < 3; ++k) {
            m.from[k] = in.number();
            m.to[k] = in.number();
        }
        m.centre1 = in.number();
        m.centre2 = in.number();
        m.radius = in.number();
        m.startAngle = in.number();
        m.sweep = in.number();
        m.level = in.number();
        m.peck = m.level;
        m.retract = in.number();
        m.count = 2 + in.byte();
        picture.add(m, in.byte());
        simplifier.add({m.from[0], m.from[1]}, kept);
    }
    simplifier.finish(kept);
    // While the moves come a picture may wait above its budget for its cells to pay; once
    // fitted it is within it, or every view is as coarse as it goes.
    picture.fit(kBudget);
    const bool coarsest = picture.top().pixelsAllowed() == sheet::ViewPicture::kMostPixels &&
                          picture.front().pixelsAllowed() == sheet::ViewPicture::kMostPixels &&
                          picture.side().pixelsAllowed() == sheet::ViewPicture::kMostPixels;
    if (picture.estimatedSize() > kBudget && !coarsest) {
        std::abort();
    }
    const std::string svg = sheet::pictureSvg(picture, 400);
    if (svg.find("nan") != std::string::npos || svg.find("inf") != std::string::npos) {
        std::abort();
    }
    return 0;
}
