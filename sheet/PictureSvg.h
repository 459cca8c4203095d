// A toolpath picture as SVG for the setup sheet.
#pragma once

#include "sheet/ToolpathPicture.h"

#include <string>
#include <vector>

namespace sheet {

// The SVG of a picture (both views, a scale bar in program units, the start point), at
// most `width` pixels wide. With `legend`, the tools and their colours, indexed by colour
// (texts already HTML-escaped). `id` is unique in the page: the views' clip paths use it.
// `wholeZ`: the front and side views frame all the Z the tool travels (a section's
// picture); else where it cuts, so a start point far above does not shrink the part.
std::string pictureSvg(ToolpathPicture& picture, int width, const std::vector<std::string>& legend,
                       const std::string& id = "picture", bool wholeZ = false);

}  // namespace sheet
