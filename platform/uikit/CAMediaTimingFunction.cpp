#include "CAMediaTimingFunction.h"

#include <algorithm>
#include <cmath>

namespace {
// One coordinate of the cubic Bézier with end points 0 and 1 and control values p1, p2.
double bezier(double s, double p1, double p2)
{
    const double inverse = 1 - s;
    return 3 * inverse * inverse * s * p1 + 3 * inverse * s * s * p2 + s * s * s;
}

double bezierSlope(double s, double p1, double p2)
{
    const double inverse = 1 - s;
    return 3 * inverse * inverse * p1 + 6 * inverse * s * (p2 - p1) + 3 * s * s * (1 - p2);
}
} // namespace

CAMediaTimingFunction::CAMediaTimingFunction(double x1, double y1, double x2, double y2)
    : x1_(std::clamp(x1, 0.0, 1.0)), y1_(y1), x2_(std::clamp(x2, 0.0, 1.0)), y2_(y2)
{
}

std::shared_ptr<CAMediaTimingFunction> CAMediaTimingFunction::functionWithName(std::string_view name)
{
    if (name == kCAMediaTimingFunctionEaseIn) {
        return functionWithControlPoints(0.42, 0, 1, 1);
    }
    if (name == kCAMediaTimingFunctionEaseOut) {
        return functionWithControlPoints(0, 0, 0.58, 1);
    }
    if (name == kCAMediaTimingFunctionEaseInEaseOut) {
        return functionWithControlPoints(0.42, 0, 0.58, 1);
    }
    return functionWithControlPoints(0, 0, 1, 1);
}

std::shared_ptr<CAMediaTimingFunction> CAMediaTimingFunction::functionWithControlPoints(double x1, double y1,
                                                                                        double x2, double y2)
{
    return std::make_shared<CAMediaTimingFunction>(x1, y1, x2, y2);
}

double CAMediaTimingFunction::valueAt(double t) const
{
    const double x = std::clamp(t, 0.0, 1.0);
    if (x == 0 || x == 1) {
        return x;
    }
    // Solve bezier(s) = x for the curve parameter s: Newton steps, then bisection if they stray.
    double s = x;
    for (int i = 0; i < 8; ++i) {
        const double error = bezier(s, x1_, x2_) - x;
        if (std::fabs(error) < 1e-12) {
            return bezier(s, y1_, y2_);
        }
        const double slope = bezierSlope(s, x1_, x2_);
        if (std::fabs(slope) < 1e-9) {
            break;
        }
        s -= error / slope;
    }
    double low = 0, high = 1;
    s = x;
    for (int i = 0; i < 60; ++i) {
        const double value = bezier(s, x1_, x2_);
        if (std::fabs(value - x) < 1e-12) {
            break;
        }
        (value < x ? low : high) = s;
        s = (low + high) / 2;
    }
    return bezier(s, y1_, y2_);
}
