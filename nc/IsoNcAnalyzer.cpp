#include "nc/IsoNcAnalyzer.h"

#include "util/Kazu.h"

#include <algorithm>
#include <cmath>

namespace nc {

void IsoNcAnalyzer::setLine(std::string_view text)
{
    IsoNcBlock::setLine(text);
    interpretBlock();
}

void IsoNcAnalyzer::interpretBlock()
{
    // 1. Per block: the unit of the rapid rate, and no arc radius error yet.
    rapidRate_ = isInchMode() ? kRapidRateInch : kRapidRate;
    arcRadiusError_ = false;
    measured_ = false;

    // 2. A comment line names the tool's diameter (its first number after "DIA",
    // or its first number at all).
    const std::string_view line = lineView();
    if (!line.empty() && (line.front() == '(' || line.front() == '*')) {
        toolDiameter_ = util::numberAfter(line, "DIA");
    }

    // 3. Canned-cycle hole, before F applies, so a hole block that gives F is
    // measured with the feed in force before it.
    cycleHoleStep();

    // 4. Feed.
    if (isWordGiven(WordSlot::F)) {
        feedRate_ = wordValue(WordSlot::F);
    }

    // 5. Cutter compensation; a D alone does not change the compensation number.
    if (isWordGiven(WordSlot::GCutterComp)) {
        if (wordValue(WordSlot::GCutterComp) == 40.0) {
            cutterCompActive_ = false;
            compensationD_ = 0;
        } else {
            cutterCompActive_ = true;
            compensationD_ = util::truncToInt(wordValue(WordSlot::D));
        }
    }

    // 6. The X of a dwell is a time, not a position.
    dwellSeconds_ = 0.0;
    if (isWordGiven(WordSlot::GNonModal) && wordValue(WordSlot::GNonModal) == 4.0) {
        // P in milliseconds, else X in seconds.
        if (isWordGiven(WordSlot::P)) {
            dwellSeconds_ = wordValue(WordSlot::P) / 1000.0;
        } else if (isWordGiven(WordSlot::X)) {
            dwellSeconds_ = wordValue(WordSlot::X);
        }
        if (isWordGiven(WordSlot::X)) {
            setWordValue(WordSlot::X, previousWordValue(WordSlot::X));
        }
    }

    // 7. Motion. Under G00 every block is measured (also inside a cycle); under
    // G01/G02/G03 nothing is measured while a cycle is in force.
    const double motion = wordValue(WordSlot::GMotion);
    if (isWordGiven(WordSlot::GMotion)) {
        if (motion == 0.0) {
            rapidMove_ = true;
            analyseLine();
        } else {
            rapidMove_ = false;
        }
    }
    if (motion == 1.0 && !cycleActive_) {
        analyseLine();
    }
    if (motion > 1.0 && !cycleActive_) {
        analyseArc();
    }

    // 8. Extents. Only the X update skips the non-modal codes (the X of G04, G28, G92).
    if (!isWordGiven(WordSlot::GNonModal) && isWordGiven(WordSlot::X)) {
        updateXExtent(wordValue(WordSlot::X));
    }
    if (isWordGiven(WordSlot::Y)) {
        updateYExtent(wordValue(WordSlot::Y));
    }
    if (isWordGiven(WordSlot::Z)) {
        updateZExtent(wordValue(WordSlot::Z));
    }
}

int IsoNcAnalyzer::holeRepeats() const
{
    if (!cycleActive_) {
        return 1;
    }
    const std::optional<int> repeats = cycleRepeats(*this, control_);
    return repeats ? std::max(*repeats, 1) : 1;
}

double IsoNcAnalyzer::directionAngle(bool inRadians) const
{
    return inRadians ? directionAngle_ : radToDeg(directionAngle_);
}

double IsoNcAnalyzer::slopeAngle(bool inRadians) const
{
    const double angle = std::atan(slopeRatio_);
    return inRadians ? angle : radToDeg(angle);
}

}  // namespace nc
