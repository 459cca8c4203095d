// A toolpath picture as SVG for the setup sheet.
#pragma once

#include "sheet/ToolpathPicture.h"

#include <string>

namespace sheet {

// The SVG of a picture (the three views, a scale bar in program units, the start point, and
// the tool numbers of tools past the colours' count), at most `width` pixels wide. `id` is
// unique in the page: the views' clip paths use it. `wholeZ`: the front and side views
// frame all the Z the tool travels (a section's picture); else where it cuts, so a start
// point far above does not shrink the part.
std::string pictureSvg(ToolpathPicture& picture, int width, const std::string& id = "picture", bool wholeZ = false);

}  // namespace sheet
