// The figures of the last folded tool section and of the whole program, and the extents
// and time lines that the INFO blocks and the final report print.
#pragma once

#include "nc/IsoNcAnalyzer.h"

#include <string>

namespace report {

// Extents and times (minutes) of a section or of the program.
struct Figures {
    double xMax = nc::kExtentStartMax;
    double yMax = nc::kExtentStartMax;
    double zMax = nc::kExtentStartMax;
    double xMin = nc::kExtentStartMin;
    double yMin = nc::kExtentStartMin;
    double zMin = nc::kExtentStartMin;
    double cutTime = 0.0;
    double rapidTime = 0.0;
    double totalTime = 0.0;
    bool operator==(const Figures&) const = default;
};

struct RunSummary {
    double sectionCutLength = 0.0;  // cutting length of the last folded section
    Figures section;                // the last folded section
    Figures program;                // all folded sections
    bool operator==(const RunSummary&) const = default;
};

void resetForRun(RunSummary& summary);

// A section's figures as the INFO block prints them.
Figures figuresOf(const nc::SectionFigures& figures);

// Takes the analyzer's section sums and extents as the last section and folds them into
// the program figures.
void foldSection(RunSummary& summary, const nc::IsoNcAnalyzer& analyzer);
// Folds a section's figures into the program's: the extents widen, the times add.
void foldFigures(Figures& program, const Figures& section);

enum class LinesFor { InfoBlock, FinalReport };

// The three extents and time lines (code page 932, CR LF after the first two). The INFO
// block's minutes carry a trailing blank, the final report's do not.
void appendExtentsAndTimeLines(std::string& out, const Figures& figures, LinesFor where);

}  // namespace report
