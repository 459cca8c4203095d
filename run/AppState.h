// What the front end keeps for its whole life and lends to each run.
#pragma once

#include "report/EntryState.h"
#include "report/RunSummary.h"

#include <string>

namespace run {

struct AppState {
    std::string programDir;           // folder of the templates hedder.txt and index.html
    report::RunSummary summary;               // reset by every run
    report::EntryState entryState;    // reset by every run
    report::RadiusCache radiusCache;  // kept across runs
};

std::string headerTemplatePath(const AppState& state);
std::string indexTemplatePath(const AppState& state);

}  // namespace run
