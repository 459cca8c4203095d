#include "sheet/PathSimplifier.h"

#include "sheet/PictureMath.h"

#include <algorithm>
#include <cmath>

namespace sheet {

namespace {

using Point = PathSimplifier::Point;

double cross(Point a, Point b)
{
    return a.x * b.y - a.y * b.x;
}

double dot(Point a, Point b)
{
    return a.x * b.x + a.y * b.y;
}

}  // namespace

void PathSimplifier::start(Point p, std::vector<Point>& out)
{
    finish(out);
    anchor_ = p;
}

void PathSimplifier::add(Point p, std::vector<Point>& out)
{
    if (!hasPending_) {
        pending_ = p;
        hasPending_ = true;
        reach_ = distance(anchor_, p);
        return;
    }
    // Would the segment from the anchor to p still pass within the tolerance of the
    // pending point and of every point dropped before it? The cone of such directions is
    // kept as its two bounding unit vectors, so no angle is ever computed.
    const Point toP{p.x - anchor_.x, p.y - anchor_.y};
    const double lengthP = std::sqrt(dot(toP, toP));
    bool replaces = false;
    // The pending point must lie within the tolerance of the new segment: most points that
    // turn a corner fail this cheap test before any cone is worked out.
    const Point toPending{pending_.x - anchor_.x, pending_.y - anchor_.y};
    const bool nearLine = std::fabs(cross(toP, toPending)) <= tolerance_ * lengthP;
    if (tolerance_ > 0.0 && lengthP >= reach_ && nearLine) {
        bool cone = hasCone_;
        Point right = right_;
        Point left = left_;
        bool feasible = true;
        const double lengthPending = std::sqrt(dot(toPending, toPending));
        if (lengthPending > tolerance_) {
            // The pending point allows the directions within asin(tolerance / distance) of its own.
            const Point u{toPending.x / lengthPending, toPending.y / lengthPending};
            const double s = tolerance_ / lengthPending;
            const double c = std::sqrt(1 - s * s);
            const Point newRight{u.x * c + u.y * s, u.y * c - u.x * s};
            const Point newLeft{u.x * c - u.y * s, u.y * c + u.x * s};
            if (!cone) {
                cone = true;
                right = newRight;
                left = newLeft;
            } else if (dot(u, right) > 0.0 && dot(u, left) > 0.0) {
                // Every cone spans less than half a turn, so the bounds compare by their cross product.
                if (cross(right, newRight) > 0.0) {
                    right = newRight;
                }
                if (cross(newLeft, left) > 0.0) {
                    left = newLeft;
                }
                feasible = cross(right, left) >= 0.0;
            } else {
                feasible = false;  // the path turns away: keep the pending point
            }
        }
        if (feasible) {
            replaces = !cone || (cross(right, toP) >= 0.0 && cross(toP, left) >= 0.0 &&
                                 dot(toP, Point{right.x + left.x, right.y + left.y}) > 0.0);
        }
        if (replaces) {
            hasCone_ = cone;
            right_ = right;
            left_ = left;
        }
    }
    if (replaces) {
        pending_ = p;
        reach_ = std::max(reach_, lengthP);
        return;
    }
    out.push_back(pending_);
    anchor_ = pending_;
    hasCone_ = false;
    pending_ = p;
    reach_ = distance(anchor_, p);
}

void PathSimplifier::finish(std::vector<Point>& out)
{
    if (hasPending_) {
        out.push_back(pending_);
        anchor_ = pending_;
    }
    hasPending_ = false;
    hasCone_ = false;
    reach_ = 0.0;
}
}  // namespace sheet
