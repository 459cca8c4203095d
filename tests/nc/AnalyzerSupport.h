// Feeds lines to an analyzer the way a run does: the start block first.
#pragma once

#include "nc/IsoNcAnalyzer.h"

#include <initializer_list>
#include <string_view>

namespace nctest {

inline void feed(nc::IsoNcAnalyzer& analyzer, std::initializer_list<std::string_view> lines)
{
    for (const std::string_view line : lines) {
        analyzer.setLine(line);
    }
}

// A fresh run's analyzer at the default start point with its section reset.
inline void startRun(nc::IsoNcAnalyzer& analyzer, std::string_view startBlock = "G92X0.0Y0.0Z200.0")
{
    analyzer.setLine(startBlock);
    analyzer.resetExtents();
    analyzer.resetSums();
}

}  // namespace nctest
