// Lines, canned-cycle holes, their times, and the section totals and extents.
#include "nc/IsoNcAnalyzer.h"

#include "nc/ProgramFlow.h"
#include "util/Kazu.h"
#include "util/UserError.h"

#include <cmath>

namespace nc {

namespace {

// An axis that no block has given yet widens nothing.
void foldExtent(double& minimum, double& maximum, double v)
{
    if (v == kUnknownPosition) {
        return;
    }
    if (v < minimum) {
        minimum = v;
    }
    if (v > maximum) {
        maximum = v;
    }
}

}  // namespace

double IsoNcAnalyzer::analyseLine()
{
    arcRadius_ = 0.0;
    const double sx = knownOr(previousWordValue(WordSlot::X), kFallbackStartX);
    const double sy = knownOr(previousWordValue(WordSlot::Y), kFallbackStartY);
    const double sz = knownOr(previousWordValue(WordSlot::Z), kFallbackStartZ);
    const double ex = knownOr(wordValue(WordSlot::X), kFallbackStartX);
    const double ey = knownOr(wordValue(WordSlot::Y), kFallbackStartY);
    const double ez = knownOr(wordValue(WordSlot::Z), kFallbackStartZ);

    const double lxy = analyseSegment(sx, sy, ex, ey);
    if (lxy != 0) {
        slopeRatio_ = std::fabs(sz - ez) / lxy;  // the angle only when an entry shows it
    }
    moveLength_ = std::sqrt(lxy * lxy + (sz - ez) * (sz - ez));
    // A hole the same block books is the machine's move.
    if (!measured_ || move_.kind != MotionKind::Hole) {
        measured_ = true;
        move_.kind = rapidMove_ ? MotionKind::Rapid : MotionKind::Feed;
        move_.cycleCode = 0;
        move_.from = {sx, sy, sz};
        move_.to = {ex, ey, ez};
    }
    accountMove();
    return moveLength_;
}

void IsoNcAnalyzer::accountMove()
{
    if (rapidMove_) {
        const double rate = rapidRate_ == 0.0 ? 1.0 : rapidRate_;
        moveTime_ = moveLength_ / rate;
        rapidTimeSum_ += moveTime_;
    } else {
        const double rate = feedRate_ == 0.0 ? 1.0 : feedRate_;
        cutLengthSum_ += moveLength_;
        moveTime_ = moveLength_ / rate;
        cutTimeSum_ += moveTime_;
    }
    totalTimeSum_ += moveTime_;
}

void IsoNcAnalyzer::bookCut(double length, double rate)
{
    moveLength_ = length;
    cutLengthSum_ += moveLength_;
    moveTime_ = moveLength_ / rate;
    cutTimeSum_ += moveTime_;
    totalTimeSum_ += moveTime_;
}

void IsoNcAnalyzer::cycleHoleStep()
{
    // 1. A block that gives the cycle word (a cycle code, G80, or a motion code that
    // stores G80) starts a new group: its first hole counts even at the last hole's X, Y.
    if (isWordGiven(WordSlot::GCycle)) {
        cycleActive_ = wordValue(WordSlot::GCycle) != 80.0;
        hasLastHole_ = false;
    }

    // 2. The initial level of G98 is the last Z given outside a cycle.
    if (!cycleActive_) {
        if (isWordGiven(WordSlot::Z)) {
            initialLevel_ = wordValue(WordSlot::Z);
        }
        return;
    }

    // 3. Return level.
    const double returnCode = wordValue(WordSlot::GReturn);
    if (returnCode == 99.0) {
        returnLevel_ = wordValue(WordSlot::R);
    } else if (returnCode == 98.0) {
        returnLevel_ = initialLevel_;
    }

    // 4. A hole at a new X or Y is booked; approach, retract and return add nothing.
    holeX_ = wordValue(WordSlot::X);
    holeY_ = wordValue(WordSlot::Y);
    holeZ_ = wordValue(WordSlot::Z);
    // A repeat drills its hole again, wherever it is; L0 drills none.
    if (hasLastHole_ && holeX_ == lastHoleX_ && holeY_ == lastHoleY_ && !repeatPass_) {
        return;
    }
    if (const std::optional<int> repeats = cycleRepeats(*this, control_); repeats && *repeats == 0) {
        return;
    }
    cycleRLevel_ = wordValue(WordSlot::R);
    peckDepth_ = wordValue(WordSlot::Q);
    cycleCode_ = util::truncToInt(wordValue(WordSlot::GCycle));
    hasLastHole_ = true;
    lastHoleX_ = holeX_;
    lastHoleY_ = holeY_;
    measured_ = true;
    move_.kind = MotionKind::Hole;
    move_.to = {holeX_, holeY_, holeZ_};
    move_.level = cycleRLevel_;
    move_.cycleCode = cycleCode_;

    const double depth = std::fabs(holeZ_ - cycleRLevel_);
    if (feedRate_ == 0.0) {
        // No feed yet: the hole waits for the first hole booked with a feed.
        moveLength_ = depth;
        pendingCycleLength_ += depth;
    } else {
        bookCut(depth + pendingCycleLength_, feedRate_);
        pendingCycleLength_ = 0.0;
    }

    if (cycleCode_ == 83) {
        if (peckDepth_ == 0.0) {
            throw util::ArithmeticError(depth == 0.0 ? "不正な浮動小数点数演算命令"
                                                     : "0 による浮動小数点数除算");
        }
        // The peck extra is timed at the rapid rate but booked as cutting.
        bookCut(depth / peckDepth_ * peckReturn_, rapidRate_);
    }
}

void IsoNcAnalyzer::updateXExtent(double v)
{
    foldExtent(minX_, maxX_, v);
}

void IsoNcAnalyzer::updateYExtent(double v)
{
    foldExtent(minY_, maxY_, v);
}

void IsoNcAnalyzer::updateZExtent(double v)
{
    foldExtent(minZ_, maxZ_, v);
}

void IsoNcAnalyzer::resetExtents()
{
    minX_ = minY_ = minZ_ = kExtentStartMin;
    maxX_ = maxY_ = maxZ_ = kExtentStartMax;
}

void IsoNcAnalyzer::resetSums()
{
    cutLengthSum_ = 0.0;
    cutTimeSum_ = rapidTimeSum_ = totalTimeSum_ = 0.0;
}

IsoNcAnalyzer::MoveDelta IsoNcAnalyzer::moveDelta() const
{
    return {wordValue(WordSlot::X) - previousWordValue(WordSlot::X),
            wordValue(WordSlot::Y) - previousWordValue(WordSlot::Y),
            wordValue(WordSlot::Z) - previousWordValue(WordSlot::Z)};
}

bool IsoNcAnalyzer::isVerticalMove() const
{
    const MoveDelta d = moveDelta();
    return motionCode() == 1 && d.z != 0 && d.x == 0 && d.y == 0;
}

bool IsoNcAnalyzer::isSlopeMove() const
{
    const MoveDelta d = moveDelta();
    return motionCode() == 1 && d.z != 0 && (d.x != 0 || d.y != 0);
}

bool IsoNcAnalyzer::isArcMove() const
{
    const MoveDelta d = moveDelta();
    return motionCode() > 1 && (d.x != 0 || d.y != 0);
}

bool IsoNcAnalyzer::isFullCircleMove() const
{
    const MoveDelta d = moveDelta();
    return motionCode() > 1 && d.x == 0 && d.y == 0;
}

}  // namespace nc
