// Circular moves: centre, radius, angles, sweep, length and the circle extremes an arc
// passes, which widen the section extents.
#include "nc/IsoNcAnalyzer.h"

#include "util/Kazu.h"

#include <array>
#include <cmath>
#include <cstdint>

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

double IsoNcAnalyzer::analyseArc()
{
    const double fullTurn = degToRad(360);

    // STEP 1: the plane's axes and offsets; offsets are relative to the start point.
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
    const double o1 = wordValue(firstOffset);
    const double o2 = wordValue(secondOffset);

    // STEP 2: centre and radius.
    arcCenterX_ = s1 + o1;
    arcCenterY_ = s2 + o2;
    arcRadius_ = std::sqrt(o1 * o1 + o2 * o2);

    // STEP 3 and 4: angles to the start and end point; an end at 0 is a full turn.
    analyseSegment(arcCenterX_, arcCenterY_, s1, s2);
    arcStartAngle_ = directionAngle_;
    analyseSegment(arcCenterX_, arcCenterY_, e1, e2);
    arcEndAngle_ = directionAngle_;
    if (arcEndAngle_ == 0.0) {
        arcEndAngle_ = fullTurn;
    }

    // STEP 5: sweep. G18 exchanges the angles; a difference of exactly 0 never matches
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

    // STEP 6: the extremes the arc passes replace the start and end candidates.
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

    // STEP 7: widen the extents of the plane's two axes.
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

    // STEP 8: length, in the order that fixes its rounding; then book it.
    moveLength_ = std::fabs(2 * arcRadius_ * kPi * sweep / fullTurn);
    accountMove();
    return moveLength_;
}

}  // namespace nc
