#include "sheet/PictureSvg.h"

#include "util/Number.h"

#include <algorithm>
#include <cmath>

namespace sheet {

namespace {

// How far past a view's box its drawing may reach (rapids are cut there): labels stay
// outside it.
constexpr double kClipMargin = 12.0;

using Point = PathSimplifier::Point;

}  // namespace

namespace {

// A round length for the scale bar: 1, 2 or 5 times a power of ten, at most `limit`.
double roundLength(double limit)
{
    if (!(limit > 0.0)) {
        return 0.0;
    }
    const double power = std::pow(10.0, std::floor(std::log10(limit)));
    for (const double step : {5.0, 2.0, 1.0}) {
        if (step * power <= limit) {
            return step * power;
        }
    }
    return power;
}

// Pixels; a rapid far outside a view (clipped away anyway) is kept to a short number.
void appendNumber(std::string& out, double v)
{
    util::appendFixed(out, std::clamp(v, -1e7, 1e7), 1);
}

struct Mapping {
    double scale = 1.0;
    double left = 0.0;    // pixel of minX
    double top = 0.0;     // pixel of maxY
    double minX = 0.0;
    double maxY = 0.0;
    double x(double v) const { return left + (v - minX) * scale; }
    double y(double v) const { return top + (maxY - v) * scale; }
};

void appendPoint(std::string& out, const Mapping& m, Point p)
{
    appendNumber(out, m.x(p.x));
    out += ' ';
    appendNumber(out, m.y(p.y));
}

// A view's label, which says where the start point is when the view's frame leaves it out.
struct ViewLabel {
    std::string text;
    bool startShown = false;
};

ViewLabel viewLabel(const ViewPicture& view, const ViewPicture::Box& box, const char* name, const double* start,
                    double scale, const char* startUnits = "")
{
    const double slack = 2 * view.tolerance();
    ViewLabel label{name, start && start[0] >= box.minX - slack && start[0] <= box.maxX + slack &&
                              start[1] >= box.minY - slack && start[1] <= box.maxY + slack};
    // Too much for the page at a pixel: the drawing says how far it may stray, in the
    // pixels it is drawn at.
    const double stray = view.pixelsAllowed() > 1 ? std::ceil(view.allowedStray() * scale * 10 - 1e-9) / 10 : 0.0;
    if (stray > 1.0) {
        label.text += "　簡略図 (±";
        label.text += util::formatGeneral(stray);
        label.text += " px)";
    }
    if (start && !label.startShown) {
        label.text += "　スタート点は枠外 (";
        label.text += util::formatGeneral(start[0]);
        label.text += ", ";
        label.text += util::formatGeneral(start[1]);
        label.text += ' ';
        label.text += startUnits;
        label.text += ")";
    }
    return label;
}

// About how wide a label's 12 px text runs: Japanese characters a full 12 px, the rest 7.
double labelWidth(std::string_view utf8)
{
    double width = 0.0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        width += byte < 0x80 ? 7.0 : byte >= 0xC0 ? 12.0 : 0.0;
    }
    return width;
}

void appendView(std::string& out, ViewPicture& view, const ViewPicture::Box& box, const Mapping& m,
                const ViewLabel& label, double labelY, const double* start, const std::string& clipId)
{
    const bool startShown = label.startShown;
    out += "<text class=\"label\" x=\"";
    appendNumber(out, m.left);
    out += "\" y=\"";
    appendNumber(out, labelY);
    out += "\">";
    out += label.text;
    out += "</text>\n";
    // Rapids that leave the part's box (the way down from a start point far above) are
    // cut at its edge, a margin away.
    const double margin = kClipMargin;
    out += "<clipPath id=\"";
    out += clipId;
    out += "\"><rect x=\"";
    appendNumber(out, m.left - margin);
    out += "\" y=\"";
    appendNumber(out, m.top - margin);
    out += "\" width=\"";
    appendNumber(out, (box.maxX - box.minX) * m.scale + 2 * margin);
    out += "\" height=\"";
    appendNumber(out, (box.maxY - box.minY) * m.scale + 2 * margin);
    out += "\"/></clipPath><g clip-path=\"url(#";
    out += clipId;
    out += ")\">\n";
    // Dense parts as the cells their paths cover, joined into rectangles and outlined as
    // wide as a line is drawn: passes closer than that look as solid as lines would.
    for (const ViewPicture::Fill& fill : view.fills()) {
        const double cell = fill.cells.cell();
        out += "<path class=\"";
        out += fill.style.rapid ? "ar" : "a";
        out += "\" style=\"fill:";
        out += toolColour(fill.style.colour);
        out += ";stroke:";
        out += toolColour(fill.style.colour);
        out += "\" d=\"";
        // Every corner from its own numbers, each rounded once.
        for (const CellFill::Rectangle& r : fill.cells.rectangles()) {
            out += 'M';
            appendPoint(out, m, {static_cast<double>(r.firstColumn) * cell, static_cast<double>(r.lastRow + 1) * cell});
            out += 'H';
            appendNumber(out, m.x(static_cast<double>(r.lastColumn + 1) * cell));
            out += 'V';
            appendNumber(out, m.y(static_cast<double>(r.firstRow) * cell));
            out += 'H';
            appendNumber(out, m.x(static_cast<double>(r.firstColumn) * cell));
            out += 'Z';
        }
        out += "\"/>\n";
    }
    for (const ViewPicture::Stroke& stroke : view.strokes()) {
        if (stroke.vertices.size() < 2) {
            continue;  // a stroke that went nowhere draws nothing
        }
        out += "<path class=\"";
        out += stroke.style.rapid ? "r" : "f";
        out += "\" stroke=\"";
        out += toolColour(stroke.style.colour);
        out += "\" d=\"M";
        appendPoint(out, m, stroke.vertices.front().p);
        for (std::size_t i = 1; i < stroke.vertices.size(); ++i) {
            const ViewPicture::Vertex& v = stroke.vertices[i];
            if (v.arcRadius > 0.0) {
                out += " A";
                appendNumber(out, v.arcRadius * m.scale);
                out += ' ';
                appendNumber(out, v.arcRadius * m.scale);
                out += " 0 0 ";
                // The view's y runs up, the picture's down: a turn with increasing angle is
                // SVG's negative direction.
                out += v.angleIncreasing ? "0 " : "1 ";
            } else {
                out += " L";
            }
            appendPoint(out, m, v.p);
        }
        out += "\"/>\n";
    }
    for (const ViewPicture::Hole& h : view.holes()) {
        if (h.y == h.y2) {
            out += "<circle class=\"h\" stroke=\"";
            out += toolColour(h.colour);
            out += "\" cx=\"";
            appendNumber(out, m.x(h.x));
            out += "\" cy=\"";
            appendNumber(out, m.y(h.y));
            out += "\" r=\"3\"/>\n";
        } else {
            out += "<path class=\"f\" stroke=\"";
            out += toolColour(h.colour);
            out += "\" d=\"M";
            appendPoint(out, m, {h.x, h.y});
            out += " L";
            appendPoint(out, m, {h.x, h.y2});
            out += "\"/>\n";
        }
    }
    if (startShown) {
        out += "<path class=\"start\" d=\"M";
        appendPoint(out, m, {start[0], start[1]});
        out += " m-6 0 l12 0 m-6 -6 l0 12\"/><circle class=\"start\" cx=\"";
        appendNumber(out, m.x(start[0]));
        out += "\" cy=\"";
        appendNumber(out, m.y(start[1]));
        out += "\" r=\"4\"/>\n";
    }
    out += "</g>\n";
}

}  // namespace

namespace {

constexpr double kMargin = 24.0;
// Room above a view for its label: the label's text stays above the clip margin.
constexpr double kLabelHeight = 32.0;
constexpr double kMaxViewHeight = 360.0;
constexpr double kBarHeight = 22.0;

// Where a view goes: its scale (equal on both axes) and its place in the picture.
// The range a view frames on one axis: [min, max]; empty when nothing set it.
struct Range {
    double minimum = 0.0;
    double maximum = 0.0;
    bool empty = true;
    void add(double low, double high)
    {
        minimum = empty ? low : std::min(minimum, low);
        maximum = empty ? high : std::max(maximum, high);
        empty = false;
    }
    // Below a micron an extent draws as a point; no view magnifies more than that.
    double extent() const { return empty ? 0.0 : std::max(maximum - minimum, 1e-3); }
};

// A bar of a round length in program units, under the views.
void appendScaleBar(std::string& out, double extent, const Mapping& m, double y, const char* units)
{
    const double bar = roundLength(extent / 4);
    if (!(bar > 0.0)) {
        return;
    }
    out += "<path class=\"bar\" d=\"M";
    appendNumber(out, kMargin);
    out += ' ';
    appendNumber(out, y);
    out += " l";
    appendNumber(out, bar * m.scale);
    out += " 0\"/><text class=\"label\" x=\"";
    appendNumber(out, kMargin + bar * m.scale + 6);
    out += "\" y=\"";
    appendNumber(out, y + 4);
    out += "\">";
    out += util::formatGeneral(bar);
    out += ' ';
    out += units;
    out += "</text>\n";
}

}  // namespace

std::string pictureSvg(ToolpathPicture& picture, int width, const std::string& id, bool wholeZ)
{
    ViewPicture& topView = picture.top();
    ViewPicture& frontView = picture.front();
    ViewPicture& sideView = picture.side();
    for (ViewPicture* view : {&topView, &frontView, &sideView}) {
        view->finish();
    }
    // One range per axis for all three views, so X lines up between top and front, Z
    // between front and side, and Y is the same length in top and side. With `wholeZ`
    // the front and side views frame all the Z the tool travels, retracts included.
    const ViewPicture::Box& top = topView.box();
    const ViewPicture::Box& front = wholeZ ? frontView.travelBox() : frontView.box();
    const ViewPicture::Box& side = wholeZ ? sideView.travelBox() : sideView.box();
    Range x;
    Range y;
    Range z;
    if (!top.empty) {
        x.add(top.minX, top.maxX);
        y.add(top.minY, top.maxY);
    }
    if (!front.empty) {
        x.add(front.minX, front.maxX);
        z.add(front.minY, front.maxY);
    }
    if (!side.empty) {
        y.add(side.minX, side.maxX);
        z.add(side.minY, side.maxY);
    }
    const auto boxOf = [](const Range& h, const Range& v) {
        ViewPicture::Box b;
        b.empty = h.empty || v.empty;
        b.minX = h.minimum;
        b.maxX = h.maximum;
        b.minY = v.minimum;
        b.maxY = v.maximum;
        return b;
    };

    // Third angle projection: the top view above the front view, the right side view to
    // the right of the front view; one scale, the same on both axes of every view.
    const double gap = 2 * kMargin;
    const double drawWidth = width - 2 * kMargin - gap;
    const double drawHeight = 2 * kMaxViewHeight;
    double scale = std::min(drawWidth / (x.extent() + y.extent()), drawHeight / (y.extent() + z.extent()));
    if (!std::isfinite(scale) || scale <= 0.0) {
        scale = 1.0;
    }
    const double* start = picture.start();
    const double topStart[2] = {start ? start[0] : 0.0, start ? start[1] : 0.0};
    const double frontStart[2] = {start ? start[0] : 0.0, start ? start[2] : 0.0};
    const double sideStart[2] = {start ? start[1] : 0.0, start ? start[2] : 0.0};
    // A way down from above the frame is cut at it; the front and side views say from where.
    const double* entry = wholeZ ? picture.entryZ() : nullptr;
    std::string entryText;
    if (entry && !z.empty && *entry > z.maximum + 2 * frontView.tolerance()) {
        entryText = "　↓Z" + util::formatGeneral(*entry) + " から";
    }
    ViewLabel topLabel;
    ViewLabel frontLabel;
    ViewLabel sideLabel;
    const auto makeLabels = [&] {
        topLabel = viewLabel(topView, boxOf(x, y), "上面 (XY)", start ? topStart : nullptr, scale, picture.startUnits());
        frontLabel =
            viewLabel(frontView, boxOf(x, z), "正面 (XZ)", start ? frontStart : nullptr, scale, picture.startUnits());
        sideLabel =
            viewLabel(sideView, boxOf(y, z), "右側面 (YZ)", start ? sideStart : nullptr, scale, picture.startUnits());
        frontLabel.text += entryText;
    };
    makeLabels();
    // The side view starts past the front view and past the front view's label: a narrow
    // front view (a section that only drills) must not put the two labels on each other.
    // A label that pushes the side view out of the picture takes scale from the views
    // (the labels' pixel numbers follow the scale, so they are made again).
    const double frontLabelWidth = labelWidth(frontLabel.text);
    if (frontLabelWidth > x.extent() * scale && !y.empty) {
        const double room = width - 2 * kMargin - frontLabelWidth - gap;
        const double fitting = room / y.extent();
        if (fitting < scale) {
            scale = std::max(fitting, scale / 1000);
            makeLabels();
        }
    }
    const Mapping topMap{scale, kMargin, kMargin + kLabelHeight, x.minimum, y.maximum};
    const double topBottom = topMap.top + (y.empty ? 0.0 : y.extent() * scale);
    const double lowerTop = topBottom + kClipMargin + kLabelHeight;
    const Mapping frontMap{scale, kMargin, lowerTop, x.minimum, z.maximum};
    const double sideLeft = kMargin + std::max(x.extent() * scale, labelWidth(frontLabel.text)) + gap;
    const Mapping sideMap{scale, sideLeft, lowerTop, y.minimum, z.maximum};
    if (!sideLabel.startShown && sideLeft + labelWidth(sideLabel.text) + kMargin > width) {
        // No room for where the start point is: the top view says its Y, the front its Z.
        sideLabel = viewLabel(sideView, boxOf(y, z), "右側面 (YZ)", nullptr, scale);
    }
    const double lowerBottom = lowerTop + (z.empty ? 0.0 : z.extent() * scale);
    const double barY = lowerBottom + kBarHeight - 4;
    const double height = lowerBottom + kBarHeight + 8;

    // As wide as the views, their labels, the scale bar and the legend need, at most `width`.
    const double barExtent = std::max({x.extent(), y.extent(), z.extent()});
    const double bar = roundLength(barExtent / 4);
    const double barWidth =
        bar * scale + 6 + labelWidth(util::formatGeneral(bar) + " " + picture.units()) + kMargin;
    const double used = std::max({sideMap.left + std::max(y.extent() * scale, labelWidth(sideLabel.text)) + kMargin,
                                  kMargin + barWidth, 200.0});
    const auto svgWidth = static_cast<long long>(std::ceil(std::min(used, static_cast<double>(width))));
    const auto svgHeight = static_cast<long long>(std::ceil(height));

    std::string out;
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"toolpath\" width=\"";
    out += util::formatInt(svgWidth);
    out += "\" height=\"";
    out += util::formatInt(svgHeight);
    out += "\" viewBox=\"0 0 ";
    out += util::formatInt(svgWidth);
    out += ' ';
    out += util::formatInt(svgHeight);
    out += "\">\n<style>path{fill:none;stroke-linecap:round;stroke-linejoin:round}"
           ".f{stroke-width:1.3}.r{stroke-width:0.7;stroke-dasharray:4 3;opacity:.8}"
           ".a{stroke-width:1.3}.ar{stroke-width:0.7;opacity:.35}.h{fill:none;stroke-width:1.2}.start{fill:none;stroke:#000;stroke-width:1.5}"
           ".label{font:12px sans-serif;fill:#333}.bar{stroke:#000;stroke-width:2}"
           ".tool{font:bold 10px sans-serif;paint-order:stroke;stroke:#fff;stroke-width:3px}</style>\n";
    const double labelAbove = kClipMargin + 5;
    appendView(out, topView, boxOf(x, y), topMap, topLabel, topMap.top - labelAbove, start ? topStart : nullptr,
               id + "t");
    appendView(out, frontView, boxOf(x, z), frontMap, frontLabel, frontMap.top - labelAbove,
               start ? frontStart : nullptr, id + "f");
    appendView(out, sideView, boxOf(y, z), sideMap, sideLabel, sideMap.top - labelAbove,
               start ? sideStart : nullptr, id + "s");
    appendScaleBar(out, barExtent, frontMap, barY, picture.units());
    // Past the colours' count tools share colours: each such tool's number stands where it
    // first cuts.
    for (const ToolpathPicture::ToolMark& mark : picture.toolMarks()) {
        out += "<text class=\"tool\" fill=\"";
        out += toolColour(mark.colour);
        out += "\" x=\"";
        appendNumber(out, topMap.x(mark.x) + 3);
        out += "\" y=\"";
        appendNumber(out, topMap.y(mark.y) - 3);
        out += "\">T";
        out += util::formatInt(mark.tool);
        out += "</text>\n";
    }
    out += "</svg>\n";
    return out;
}

}  // namespace sheet