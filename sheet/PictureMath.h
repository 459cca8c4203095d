// Small numeric helpers the pictures share: what can be drawn, and plane vectors.
#pragma once

#include "nc/Markers.h"
#include "sheet/PathSimplifier.h"

#include <algorithm>
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

// An arc as the views keep it (at most a quarter turn), found again from its ends, radius
// and direction, as SVG finds it.
struct ArcPiece {
    PathSimplifier::Point centre;
    double radius = 0.0;
    double start = 0.0;  // the angle of its start
    double sweep = 0.0;
    double side = 1.0;     // +1 turning with increasing angle, -1 against
    double sagitta = 0.0;  // how far it bulges from its chord

    // The point a fraction of the way along it.
    PathSimplifier::Point at(double fraction) const
    {
        const double angle = start + side * sweep * fraction;
        return {centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)};
    }
};

inline ArcPiece arcPiece(PathSimplifier::Point from, PathSimplifier::Point to, double radius, bool angleIncreasing)
{
    ArcPiece arc;
    const double halfChord = distance(from, to) / 2;
    arc.radius = std::max(radius, halfChord);
    const double offset = std::sqrt(std::max(0.0, arc.radius * arc.radius - halfChord * halfChord));
    arc.side = angleIncreasing ? 1.0 : -1.0;
    arc.sagitta = arc.radius - offset;
    if (!(halfChord > 0.0)) {
        arc.centre = from;
        return arc;
    }
    arc.centre = {(from.x + to.x) / 2 - arc.side * offset * (to.y - from.y) / (2 * halfChord),
                  (from.y + to.y) / 2 + arc.side * offset * (to.x - from.x) / (2 * halfChord)};
    arc.sweep = 2 * std::asin(std::min(1.0, halfChord / arc.radius));
    arc.start = std::atan2(from.y - arc.centre.y, from.x - arc.centre.x);
    return arc;
}

// Below kLargestCoordinate in size, which no NaN or infinity is. The stream carries no
// position it does not know: from the start point on, the tool is always somewhere.
inline bool usable(double v)
{
    return std::fabs(v) < kLargestCoordinate;
}

inline bool usable(const double* p)
{
    return usable(p[0]) && usable(p[1]) && usable(p[2]);
}

}  // namespace sheet
