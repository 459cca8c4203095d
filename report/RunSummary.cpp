#include "report/RunSummary.h"

#include "util/Cp932.h"
#include "util/Kazu.h"
#include "util/Number.h"

namespace report {

namespace {

void appendTime(std::string& out, double minutes, LinesFor where)
{
    const util::HoursMinutes hm = util::splitMinutes(minutes);
    out += util::formatInt(hm.hours);
    out += 'h';
    out += util::formatInt(hm.minutes);
    out += where == LinesFor::InfoBlock ? "min " : "min";
}

}  // namespace

void resetForRun(RunSummary& summary)
{
    summary = RunSummary{};
}

Figures figuresOf(const nc::SectionFigures& f)
{
    Figures figures;
    figures.xMax = f.maxX;
    figures.yMax = f.maxY;
    figures.zMax = f.maxZ;
    figures.xMin = f.minX;
    figures.yMin = f.minY;
    figures.zMin = f.minZ;
    figures.cutTime = f.cutTime;
    figures.rapidTime = f.rapidTime;
    figures.totalTime = f.totalTime;
    return figures;
}

void foldSection(RunSummary& summary, const nc::IsoNcAnalyzer& a)
{
    const nc::SectionFigures f = a.sectionFigures();
    summary.sectionCutLength = f.cutLength;
    summary.section = figuresOf(f);
    foldFigures(summary.program, summary.section);
}

void foldFigures(Figures& p, const Figures& s)
{
    p.xMax = util::maxOf(s.xMax, p.xMax);
    p.yMax = util::maxOf(s.yMax, p.yMax);
    p.zMax = util::maxOf(s.zMax, p.zMax);
    p.xMin = util::minOf(s.xMin, p.xMin);
    p.yMin = util::minOf(s.yMin, p.yMin);
    p.zMin = util::minOf(s.zMin, p.zMin);
    p.cutTime += s.cutTime;
    p.rapidTime += s.rapidTime;
    p.totalTime += s.totalTime;
}

void appendExtentsAndTimeLines(std::string& out, const Figures& f, LinesFor where)
{
    out += " Xmax= " + util::formatCoordinate(f.xMax) + " Ymax= " + util::formatCoordinate(f.yMax) +
           " Zmax= " + util::formatCoordinate(f.zMax) + "<br>\r\n";
    out += " Xmin= " + util::formatCoordinate(f.xMin) + " Ymin= " + util::formatCoordinate(f.yMin) +
           " Zmin= " + util::formatCoordinate(f.zMin) + "<br>\r\n";
    // Immutable once converted.
    static const std::string kRapidLabel = util::toCp932(" 早送時間：");
    static const std::string kCutLabel = util::toCp932(" 切削時間：");
    static const std::string kTotalLabel = util::toCp932(" 加工時間：");
    out += kRapidLabel;
    appendTime(out, f.rapidTime, where);
    out += kCutLabel;
    appendTime(out, f.cutTime, where);
    out += kTotalLabel;
    appendTime(out, f.totalTime, where);
}

}  // namespace report
