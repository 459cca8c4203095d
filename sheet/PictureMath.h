// Small numeric helpers the pictures share: what can be drawn, and plane vectors.
#pragma once

#include "nc/Markers.h"
#include "sheet/PathSimplifier.h"

#include <cmath>

namespace sheet {

using nc::kPi;
inline constexpr double kFullTurn = 2 * kPi;
inline constexpr double kLargestCoordinate = 1e9;  // beyond any machine: a value past it is not drawn

// Coordinates are below kLargestCoordinate: the squares cannot overflow, so the plain
// root serves (hypot's care costs more than the rest of the simplifier).
inline double distance(PathSimplifier::Point a, PathSimplifier::Point b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

// Below kLargestCoordinate in size, which no NaN or infinity is.
inline bool usable(double v)
{
    return std::fabs(v) < kLargestCoordinate && v != nc::kUnknownPosition;
}

inline bool usable(const double* p)
{
    return usable(p[0]) && usable(p[1]) && usable(p[2]);
}

}  // namespace sheet
