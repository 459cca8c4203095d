// The interpreter state of one analysis run: the block reader extended by everything kept
// from block to block (feed, compensation, canned cycles, the last measured move) and the
// running totals and travel extents of the current tool section.
#pragma once

#include "nc/IsoNcBlock.h"
#include "nc/Markers.h"
#include "nc/Motion.h"
#include "nc/ProgramFlow.h"

namespace nc {

// Angle helpers shared by the line and arc measurement. Angles run from 0 to 2 pi,
// counter-clockwise from the plane's first axis.
double degToRad(double degrees);
double radToDeg(double radians);
// Quadrant 1..4 of an angle (radians when unitFlag is 1, else degrees); 270 up to and
// including 360, negative angles and angles above 360 are quadrant 4.
int quadrantOf(double angle, int unitFlag);

// The centre of an arc given by its radius R, as offsets from the start point on the plane's
// two axes. `angleIncreasing` is the sweep direction of the arc geometry (G03, and G02 in
// G18). No arc when start and end coincide; a radius shorter than half the chord gives the
// half circle on it.
struct ArcOffsets {
    bool isArc = false;
    bool radiusTooShort = false;  // by more than kArcRadiusTolerance
    double o1 = 0.0;
    double o2 = 0.0;
};
ArcOffsets offsetsFromRadius(double s1, double s2, double e1, double e2, double radius, bool angleIncreasing);

class IsoNcAnalyzer : public IsoNcBlock {
public:
    IsoNcAnalyzer() = default;

    // Splits the line into words, then applies the block. Throws util::ConversionError
    // for a number text that does not convert and util::ArithmeticError for a G83 hole
    // whose peck depth is 0.
    void setLine(std::string_view text) override;

    // Whose rules decide where controls differ (the repeat count's letter).
    void setControl(Control control) { control_ = control; }
    // The next lines are passes of a repeat count: each books its hole, at the same
    // place too.
    void setRepeatPass(bool repeat) { repeatPass_ = repeat; }
    // How often the block's hole is drilled by its repeat count (L, or K under Fanuc's
    // reading); 1 when it gives none or books no hole.
    int holeRepeats() const;

    // Measurement, called from the block interpretation (public so tests can drive the
    // geometry directly).
    double analyseLine();
    double analyseArc();
    double analyseSegment(double x1, double y1, double x2, double y2);
    void accountMove();
    void updateXExtent(double v);
    void updateYExtent(double v);
    void updateZExtent(double v);

    // The open section's sums and extents, as the classic report folds them.
    SectionFigures sectionFigures() const
    {
        return {cutLengthSum_, cutTimeSum_, rapidTimeSum_, totalTimeSum_, minX_, minY_, minZ_, maxX_, maxY_, maxZ_};
    }

    // Section bookkeeping, called by the run at the start and at every section end.
    void resetExtents();
    void resetSums();

    // Move kinds as the report names them; X and Y alone tell an arc from a full circle.
    bool isVerticalMove() const;
    bool isSlopeMove() const;
    bool isArcMove() const;
    bool isFullCircleMove() const;

    double directionAngle(bool inRadians) const;
    double slopeAngle(bool inRadians) const;
    int compensationD() const { return compensationD_; }
    int cycleCode() const { return cycleCode_; }
    double returnLevel() const { return returnLevel_; }
    double toolDiameter() const { return toolDiameter_; }
    double feedRate() const { return feedRate_; }
    double moveLength() const { return moveLength_; }
    double moveTime() const { return moveTime_; }
    double cutLengthSum() const { return cutLengthSum_; }
    double cutTimeSum() const { return cutTimeSum_; }
    double rapidTimeSum() const { return rapidTimeSum_; }
    double totalTimeSum() const { return totalTimeSum_; }
    double arcCenterX() const { return arcCenterX_; }
    double arcCenterY() const { return arcCenterY_; }
    double arcRadius() const { return arcRadius_; }
    double minX() const { return minX_; }
    double minY() const { return minY_; }
    double minZ() const { return minZ_; }
    double maxX() const { return maxX_; }
    double maxY() const { return maxY_; }
    double maxZ() const { return maxZ_; }
    bool isCycleActive() const { return cycleActive_; }
    bool isCutterCompActive() const { return cutterCompActive_; }
    // The block's arc gave an R too short to reach its end point.
    bool isArcRadiusError() const { return arcRadiusError_; }
    // The move this block measured, in the stream's terms: Rapid or Feed for a straight
    // move, Arc, or Hole (X, Y and the bottom in `to`, R in `level`); the points are where
    // the words put them (the emitter knows where the tool is). None when the block
    // measured no move; a hole wins over the rapid a cycle block also measures.
    const Motion* measuredMove() const { return measured_ ? &move_ : nullptr; }
    // The dwell this block gives (G04 with P in milliseconds or X in seconds), else 0.
    double dwellSeconds() const { return dwellSeconds_; }
    double initialLevel() const { return initialLevel_; }
    double pendingCycleLength() const { return pendingCycleLength_; }
    double peckDepth() const { return peckDepth_; }
    double holeX() const { return holeX_; }
    double holeY() const { return holeY_; }

private:
    // Change of each axis word in this block, with no replacement of unknown positions.
    struct MoveDelta {
        double x = 0.0;
        double y = 0.0;
        double z = 0.0;
    };
    MoveDelta moveDelta() const;
    void interpretBlock();
    void cycleHoleStep();
    void bookCut(double length, double rate);
    void recordArc(WordSlot first, WordSlot second, double plane, double sweep);

    // Canned cycles.
    bool cycleActive_ = false;     // a cycle other than G80 is in force
    double returnLevel_ = 0.0;     // Z after a hole: R under G99, the initial level under G98
    double cycleRLevel_ = 0.0;     // R of the current hole
    double peckDepth_ = 1.0;       // Q of the current hole
    double peckReturn_ = kPeckReturn;  // extra length per peck of a G83 hole
    int cycleCode_ = 0;            // truncated GCycle value of the current hole (73 to 89)
    double holeX_ = 0.0;           // X, Y, Z of the hole of the current block
    double holeY_ = 0.0;
    double holeZ_ = 0.0;
    bool hasLastHole_ = false;     // false until a hole is booked, and again after a block gives GCycle
    double lastHoleX_ = 0.0;       // X and Y of the last booked hole, valid with hasLastHole_
    double lastHoleY_ = 0.0;
    double initialLevel_ = 0.0;    // the last Z given while no cycle was in force
    double pendingCycleLength_ = 0.0;  // hole lengths met while the feed was 0, not yet booked

    Control control_ = Control::Fanuc;
    bool repeatPass_ = false;

    // Tool, feed and compensation.
    double toolDiameter_ = 0.0;    // number after "DIA" in the last comment line
    double feedRate_ = 0.0;        // the last F given, per minute; 0 until the program gives F
    double rapidRate_ = kRapidRate;  // per minute, in inches under G20
    bool cutterCompActive_ = false;  // G41 or G42 in force
    int compensationD_ = 0;        // D read with G41/G42; 0 under G40

    // The last measured move (lengths in program units, times in minutes, angles in radians).
    bool rapidMove_ = true;        // G00 in force: moves are booked as rapid
    double moveLength_ = 0.0;      // length of the block's move or hole
    double moveTime_ = 0.0;        // its time
    double directionAngle_ = 0.0;  // direction of a line, or of centre to point for an arc
    double slopeRatio_ = 0.0;      // rise over run of the last linear move that ran in XY
    double arcCenterX_ = 0.0;      // centre on the plane's first axis
    double arcCenterY_ = 0.0;      // centre on the plane's second axis
    double arcRadius_ = 0.0;       // 0 after a linear move
    double arcStartAngle_ = 0.0;
    double arcEndAngle_ = 0.0;
    bool arcRadiusError_ = false;  // this block's R cannot reach its end point
    bool measured_ = false;        // this block measured a move: move_
    Motion move_;
    double dwellSeconds_ = 0.0;    // this block's dwell

    // Section totals and extents.
    double cutLengthSum_ = 0.0;
    double cutTimeSum_ = 0.0;
    double rapidTimeSum_ = 0.0;
    double totalTimeSum_ = 0.0;
    double minX_ = kExtentStartMin;
    double minY_ = kExtentStartMin;
    double minZ_ = kExtentStartMin;
    double maxX_ = kExtentStartMax;
    double maxY_ = kExtentStartMax;
    double maxZ_ = kExtentStartMax;
};

}  // namespace nc
