// What the views of a picture may cost: the bytes each piece of the SVG takes, near
// enough to budget with, and how far the drawing may stray from the path.
#pragma once

#include "sheet/ViewPicture.h"

#include <cstddef>

namespace sheet::budget {

inline constexpr std::size_t kStrokeBytes = 70;
inline constexpr std::size_t kLineVertexBytes = 14;
inline constexpr std::size_t kArcVertexBytes = 36;
inline constexpr std::size_t kHoleBytes = 64;
inline constexpr std::size_t kFillBytes = 100;
inline constexpr std::size_t kRectangleBytes = 36;

// Within a pixel of the widest view, both ways: a kept point may stray from the path by
// what simplifying dropped, all rounds of it together (at most kMaxErrorPixels); a filled
// cell holds a kept point, so its far corner strays by that and its diagonal more (a cell
// is at most kFillCellPixels wide); arcs are marked in chords a sixteenth of a cell off,
// and the drawing rounds to a twentieth of a pixel: 0.5 + 0.3 * 1.414 + 0.02 + 0.07 < 1.
inline constexpr double kMaxErrorPixels = 0.5;
inline constexpr double kFillCellPixels = 0.3;

inline std::size_t strokeBytes(const ViewPicture::Stroke& stroke)
{
    std::size_t bytes = kStrokeBytes;
    for (const ViewPicture::Vertex& v : stroke.vertices) {
        bytes += v.arcRadius > 0.0 ? kArcVertexBytes : kLineVertexBytes;
    }
    return bytes;
}

}  // namespace sheet::budget
