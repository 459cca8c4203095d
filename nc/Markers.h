// Marker values and fixed constants of the interpretation, named once.
#pragma once

namespace nc {

// An X, Y or Z word that no block has given yet holds this value.
inline constexpr double kUnknownPosition = -99999.0;

// Section extents start empty: the minimum above and the maximum below any real value.
inline constexpr double kExtentStartMin = 9999.0;
inline constexpr double kExtentStartMax = -9999.0;

// Rapid traverse rate, per minute.
inline constexpr double kRapidRate = 5000.0;

// Extra travel per peck of a G83 hole.
inline constexpr double kPeckReturn = 0.2;

// Where a move starts from while an axis still holds kUnknownPosition.
inline constexpr double kFallbackStartX = 0.0;
inline constexpr double kFallbackStartY = 0.0;
inline constexpr double kFallbackStartZ = 200.0;

// A position word's value, or `fallback` while no block has given it.
inline constexpr double knownOr(double value, double fallback)
{
    return value == kUnknownPosition ? fallback : value;
}

inline constexpr double kMillimetresPerInch = 25.4;

// Rapid traverse rate of an inch program: the same rate, per minute in inches.
inline constexpr double kRapidRateInch = kRapidRate / kMillimetresPerInch;

// How far half an arc's chord may exceed its R (program units) before it is an error.
inline constexpr double kArcRadiusTolerance = 0.001;

// The classic report consumes a tool change before it writes the M06 line's entry: it
// reads this block, and the M slot then holds kConsumedToolChange. The line's entry is
// the one of that block, as the classic pages have always shown it.
inline constexpr const char* kConsumedToolChangeBlock = "M99998";
inline constexpr double kConsumedToolChange = 99997.0;

// A dwell, stop or optional stop the classic report has written its entry for: the
// slot is set to these so the lines after it do not repeat it.
inline constexpr double kConsumedDwell = 11.0;  // in the non-modal G slot
inline constexpr double kConsumedStop = 9999.0; // in the M slot

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kRadPerDeg = 0.017453292519943295;
inline constexpr double kDegPerRad = 57.29577951308232;

}  // namespace nc
