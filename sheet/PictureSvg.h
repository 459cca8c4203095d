// A toolpath picture as SVG for the setup sheet.
#pragma once

#include "sheet/ToolpathPicture.h"

#include <string>
#include <vector>

namespace sheet {

// The SVG of a picture (both views, a scale bar in program units, the start point), at
// most `width` pixels wide. With `legend`, the tools and their colours, indexed by colour
// (texts already HTML-escaped). `id` is unique in the page: the views' clip paths use it.
std::string pictureSvg(ToolpathPicture& picture, int width, const std::vector<std::string>& legend,
                       const std::string& id = "picture");

}  // namespace sheet
