// Angle conventions and the plane segment shared by the line and the arc measurement.
#include "nc/IsoNcAnalyzer.h"

#include <cmath>

namespace nc {

double degToRad(double degrees)
{
    return degrees * kRadPerDeg;
}

double radToDeg(double radians)
{
    return radians * kDegPerRad;
}

int quadrantOf(double angle, int unitFlag)
{
    const double degrees = unitFlag == 1 ? radToDeg(angle) : angle;
    if (degrees >= 0 && degrees < 90) {
        return 1;
    }
    if (degrees >= 90 && degrees < 180) {
        return 2;
    }
    if (degrees >= 180 && degrees < 270) {
        return 3;
    }
    return 4;
}

double IsoNcAnalyzer::analyseSegment(double x1, double y1, double x2, double y2)
{
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double length = std::sqrt(dx * dx + dy * dy);
    // Signs are tested exactly; a segment of length 0 keeps the previous direction.
    if (dy == 0 && dx > 0) {
        directionAngle_ = 0.0;
    } else if (dy == 0 && dx < 0) {
        directionAngle_ = degToRad(180);
    } else if (dx == 0 && dy > 0) {
        directionAngle_ = degToRad(90);
    } else if (dx == 0 && dy < 0) {
        directionAngle_ = degToRad(270);
    } else if (dx > 0 && dy > 0) {
        directionAngle_ = std::atan(dy / dx);
    } else if (dx < 0 && dy != 0) {
        directionAngle_ = std::atan(dy / dx) + degToRad(180);
    } else if (dx > 0 && dy < 0) {
        directionAngle_ = std::atan(dy / dx) + degToRad(360);
    }
    return length;
}

}  // namespace nc
