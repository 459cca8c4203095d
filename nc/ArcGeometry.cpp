// Circular moves: centre, radius, angles, sweep, length and the circle extremes an arc
// passes, which widen the section extents.
#include "nc/IsoNcAnalyzer.h"

#include "util/Kazu.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>

namespace nc {

namespace {

// The extremes of a circle an arc passes; each replaces one candidate.
enum Extreme : std::uint8_t {
    kFirstPlus = 1,    // largest first-axis value, at 0 degrees
    kSecondPlus = 2,   // largest second-axis value, at 90 degrees
    kFirstMinus = 4,   // smallest first-axis value, at 180 degrees
    kSecondMinus = 8,  // smallest second-axis value, at 270 degrees
    kAllFour = kFirstPlus | kSecondPlus | kFirstMinus | kSecondMinus,
    kAllIfWrapped = 16,  // start and end in one quadrant: all four if the arc runs the long way
};

using QuadrantTable = std::array<std::array<std::uint8_t, 4>, 4>;  // [start quadrant][end quadrant]

constexpr QuadrantTable kClockwise{{
    {kAllIfWrapped, kFirstPlus | kSecondMinus | kFirstMinus, kFirstPlus | kSecondMinus, kFirstPlus},
    {kSecondPlus, kAllIfWrapped, kSecondPlus | kFirstPlus | kSecondMinus, kSecondPlus | kFirstPlus},
    {kFirstMinus | kSecondPlus, kFirstMinus, kAllIfWrapped, kFirstMinus | kSecondPlus | kFirstPlus},
    {kSecondMinus | kFirstMinus | kSecondPlus, kSecondMinus | kFirstMinus, kSecondMinus, kAllIfWrapped},
}};

constexpr QuadrantTable kCounterClockwise{{
    {kAllIfWrapped, kSecondPlus, kSecondPlus | kFirstMinus, kSecondPlus | kFirstMinus | kSecondMinus},
    {kFirstMinus | kSecondMinus | kFirstPlus, kAllIfWrapped, kFirstMinus, kFirstMinus | kSecondMinus},
    {kSecondMinus | kFirstPlus, kSecondMinus | kFirstPlus | kSecondPlus, kAllIfWrapped, kSecondMinus},
    {kFirstPlus, kFirstPlus | kSecondPlus, kFirstPlus | kSecondPlus | kFirstMinus, kAllIfWrapped},
}};

enum class Turn { Clockwise, CounterClockwise, None };

// The direction whose table gives the extremes. G18 views its plane from the other side.
Turn extremesTurn(double plane, int motionCode)
{
    if (plane == 18.0) {
        return motionCode == 2 ? Turn::CounterClockwise : Turn::Clockwise;
    }
    if (motionCode == 2) {
        return Turn::Clockwise;
    }
    if (motionCode == 3) {
        return Turn::CounterClockwise;
    }
    return Turn::None;
}

}  // namespace

ArcOffsets offsetsFromRadius(double s1, double s2, double e1, double e2, double radius, bool angleIncreasing)
{
    ArcOffsets result;
    const double d1 = e1 - s1;
    const double d2 = e2 - s2;
    if (d1 == 0.0 && d2 == 0.0) {
        return result;
    }
    result.isArc = true;
    // The centre lies on the chord's perpendicular bisector, t chord lengths from its middle.
    // R^2 / d^2 keeps the common cases exact (a quarter of R10 gives t = 0.5 exactly);
    // hypot takes over where the squares would underflow or overflow.
    const double chordSquared = d1 * d1 + d2 * d2;
    double ratioSquared = 0.0;
    double chord = 0.0;
    if (std::isnormal(chordSquared) && std::isfinite(radius * radius)) {
        ratioSquared = radius * radius / chordSquared;
        chord = std::sqrt(chordSquared);
    } else {
        chord = std::hypot(d1, d2);
        ratioSquared = (radius / chord) * (radius / chord);
    }
    double t = 0.0;
    if (ratioSquared >= 0.25) {
        t = std::sqrt(ratioSquared - 0.25);
    } else {
        // The radius cannot reach the end point: half a circle on the chord. Differences
        // within the program's own rounding are no error.
        result.radiusTooShort = chord / 2 - std::fabs(radius) > kArcRadiusTolerance;
    }
    // Travelling with increasing angle, a centre to the left of the chord gives the short
    // way round; a negative R asks for the long way.
    const double side = angleIncreasing == (radius > 0.0) ? t : -t;
    result.o1 = d1 / 2 - side * d2;
    result.o2 = d2 / 2 + side * d1;
    return result;
}

void IsoNcAnalyzer::recordArc(WordSlot first, WordSlot second, double plane, double sweep)
{
    const auto axisOf = [](WordSlot axis) { return axis == WordSlot::X ? 0 : axis == WordSlot::Y ? 1 : 2; };
    measured_ = true;
    move_.kind = MotionKind::Arc;
    move_.cycleCode = 0;
    for (const WordSlot axis : {WordSlot::X, WordSlot::Y, WordSlot::Z}) {
        const auto i = static_cast<std::size_t>(axisOf(axis));
        move_.from[i] = previousWordValue(axis);
        move_.to[i] = wordValue(axis);
    }
    move_.axis1 = static_cast<std::int8_t>(axisOf(first));
    move_.axis2 = static_cast<std::int8_t>(axisOf(second));
    move_.centre1 = arcCenterX_;
    move_.centre2 = arcCenterY_;
    move_.radius = arcRadius_;
    move_.startAngle = arcStartAngle_;
    move_.sweep = sweep;
    // The sweep runs as the length was measured: G18 exchanges the angles.
    move_.angleIncreasing = (motionCode() == 2) == (plane == 18.0);
}

double IsoNcAnalyzer::analyseArc()
{
    const double fullTurn = degToRad(360);

    // 1. The plane's axes and offsets; offsets are relative to the start point.
    const double plane = wordValue(WordSlot::GPlane);
    WordSlot first = WordSlot::X;
    WordSlot second = WordSlot::Y;
    WordSlot firstOffset = WordSlot::I;
    WordSlot secondOffset = WordSlot::J;
    if (plane == 18.0) {
        second = WordSlot::Z;
        secondOffset = WordSlot::K;
    } else if (plane == 19.0) {
        first = WordSlot::Y;
        second = WordSlot::Z;
        firstOffset = WordSlot::J;
        secondOffset = WordSlot::K;
    }
    const double s1 = previousWordValue(first);
    const double s2 = previousWordValue(second);
    const double e1 = wordValue(first);
    const double e2 = wordValue(second);

    // 2. A radius given with R takes precedence over the offsets: its centre is written
    // back as the offsets, so everything after (and the entry) reads as the offset form.
    if ((motionCode() == 2 || motionCode() == 3) && isWordGiven(WordSlot::R)) {
        const bool angleIncreasing = (motionCode() == 3) != (plane == 18.0);
        const ArcOffsets offsets = offsetsFromRadius(s1, s2, e1, e2, wordValue(WordSlot::R), angleIncreasing);
        if (offsets.isArc) {
            setWordValue(firstOffset, offsets.o1);
            setWordValue(secondOffset, offsets.o2);
        } else {
            // Start = end is no arc: like an arc code line without offsets, never a circle.
            for (const WordSlot offset : {WordSlot::I, WordSlot::J, WordSlot::K}) {
                forgetWord(offset, 0.0);
            }
        }
        arcRadiusError_ = offsets.radiusTooShort;
    }
    const double o1 = wordValue(firstOffset);
    const double o2 = wordValue(secondOffset);

    // 3. Centre and radius.
    arcCenterX_ = s1 + o1;
    arcCenterY_ = s2 + o2;
    arcRadius_ = std::sqrt(o1 * o1 + o2 * o2);

    // 4. Angles to the start and end point; an end at 0 is a full turn.
    analyseSegment(arcCenterX_, arcCenterY_, s1, s2);
    arcStartAngle_ = directionAngle_;
    analyseSegment(arcCenterX_, arcCenterY_, e1, e2);
    arcEndAngle_ = directionAngle_;
    if (arcEndAngle_ == 0.0) {
        arcEndAngle_ = fullTurn;
    }

    // 5. Sweep. G18 exchanges the angles; a difference of exactly 0 never matches
    // the expected sign, so start = end is a full turn.
    const int expectedSign = motionCode() == 2 ? -1 : 1;
    double a = arcStartAngle_;
    double b = arcEndAngle_;
    if (plane == 18.0) {
        util::swapDoubles(a, b);
    }
    const double d = b - a;
    double sweep = util::signOf(d) == util::signOfInt(expectedSign) ? std::fabs(d)
                                                                     : fullTurn - std::fabs(d);
    if (sweep == 0.0) {
        sweep = fullTurn;
    }

    // 6. The extremes the arc passes replace the start and end candidates.
    double a1 = s1;
    double a2 = e1;
    double b1 = s2;
    double b2 = e2;
    const Turn turn = extremesTurn(plane, motionCode());
    if (turn != Turn::None) {
        const int qs = quadrantOf(arcStartAngle_, 1);
        const int qe = quadrantOf(arcEndAngle_, 1);
        const QuadrantTable& table = turn == Turn::Clockwise ? kClockwise : kCounterClockwise;
        std::uint8_t extremes = table[static_cast<std::size_t>(qs - 1)][static_cast<std::size_t>(qe - 1)];
        if (extremes == kAllIfWrapped) {
            const bool wrapped = turn == Turn::Clockwise ? arcStartAngle_ <= arcEndAngle_
                                                         : arcEndAngle_ <= arcStartAngle_;
            extremes = wrapped ? kAllFour : 0;
        }
        // A full turn passes the whole circle, whichever extreme it starts at.
        if (sweep == fullTurn) {
            extremes = kAllFour;
        }
        if (extremes & kFirstPlus) {
            a1 = arcCenterX_ + arcRadius_;
        }
        if (extremes & kSecondPlus) {
            b1 = arcCenterY_ + arcRadius_;
        }
        if (extremes & kFirstMinus) {
            a2 = arcCenterX_ - arcRadius_;
        }
        if (extremes & kSecondMinus) {
            b2 = arcCenterY_ - arcRadius_;
        }
    }

    // 7. Widen the extents of the plane's two axes.
    const auto updateAxis = [this](WordSlot axis, double v) {
        if (axis == WordSlot::X) {
            updateXExtent(v);
        } else if (axis == WordSlot::Y) {
            updateYExtent(v);
        } else {
            updateZExtent(v);
        }
    };
    updateAxis(first, util::maxOf(a1, a2));
    updateAxis(first, util::minOf(a1, a2));
    updateAxis(second, util::maxOf(b1, b2));
    updateAxis(second, util::minOf(b1, b2));

    // 8. Length, in the order that fixes its rounding; then book it.
    moveLength_ = std::fabs(2 * arcRadius_ * kPi * sweep / fullTurn);
    recordArc(first, second, plane, sweep);
    accountMove();
    return moveLength_;
}

}  // namespace nc
