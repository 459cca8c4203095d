// Streaming polyline simplification with an error bound, for the toolpath pictures.
#pragma once

#include <vector>

namespace sheet {

// Streaming polyline simplification with an error bound: every point fed in lies within
// `tolerance` of the kept polyline. A kept vertex anchors a cone of directions that keeps
// all points dropped since within the tolerance; the next point outside the cone (or
// nearer to the anchor than one dropped) keeps the point before it.
class PathSimplifier {
public:
    struct Point {
        double x = 0.0;
        double y = 0.0;
        bool operator==(const Point&) const = default;
    };

    explicit PathSimplifier(double tolerance) : tolerance_(tolerance) {}

    void setTolerance(double tolerance) { tolerance_ = tolerance; }
    double tolerance() const { return tolerance_; }

    // Starts a polyline at p; what was pending is kept first.
    void start(Point p, std::vector<Point>& out);
    void add(Point p, std::vector<Point>& out);
    // Keeps the pending point, so `out` ends where the input did.
    void finish(std::vector<Point>& out);

private:
    double tolerance_;
    bool hasPending_ = false;
    Point pending_;
    bool hasCone_ = false;
    Point right_;  // the cone's bounds as unit vectors: clockwise and counter-clockwise
    Point left_;
    double reach_ = 0.0;  // farthest distance from the anchor among points dropped or pending
    Point anchor_;
};

}  // namespace sheet
