// State the block entries keep from line to line, and the radius prompt they may ask.
// Both state records belong to the front end (window or command line) for its whole life.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace report {

// Reset at the start of every run.
struct EntryState {
    bool compMarkerShown = false;    // the compensation start marker is written, G40's not yet
    bool cycleHeadingShown = false;  // a cycle heading is written, its hole count not yet
    std::uint32_t holeCounter = 0;   // hole lines written in the current group
    bool operator==(const EntryState&) const = default;
};

void resetEntryState(EntryState& state);

// Kept across runs: a second run with the same D number does not ask again.
struct RadiusCache {
    int lastAskedD = 0;               // D number last asked for; 0 = none yet
    double compToolDiameter = 0.0;    // twice the value last confirmed; 0 until one is
    bool operator==(const RadiusCache&) const = default;
};

// Asks the user for a D number's compensation value (the tool radius).
class RadiusPrompt {
public:
    virtual ~RadiusPrompt() = default;
    // `promptText` is "D01 = ?" and the like (UTF-8). Returns the typed text (UTF-8), or
    // nothing when the prompt was closed without OK.
    virtual std::optional<std::string> askRadius(int dNumber, const std::string& promptText) = 0;
};

}  // namespace report
