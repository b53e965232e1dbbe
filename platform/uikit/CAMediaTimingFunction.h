#pragma once

#include "NSObject.h"

#include <memory>
#include <string>
#include <string_view>

inline constexpr std::string_view kCAMediaTimingFunctionLinear = "linear";
inline constexpr std::string_view kCAMediaTimingFunctionEaseIn = "easeIn";
inline constexpr std::string_view kCAMediaTimingFunctionEaseOut = "easeOut";
inline constexpr std::string_view kCAMediaTimingFunctionEaseInEaseOut = "easeInEaseOut";

// The pace of an animation: a cubic Bézier curve from (0, 0) to (1, 1) through two control points that
// maps the fraction of time elapsed to the fraction of the change made. The named curves are the
// platform's (ease in and out: control points (0.42, 0) and (0.58, 1), so it is exactly halfway at half
// time).
class CAMediaTimingFunction final : public NSObject {
public:
    CAMediaTimingFunction(double x1, double y1, double x2, double y2);

    // Unknown names give the linear function.
    static std::shared_ptr<CAMediaTimingFunction> functionWithName(std::string_view name);
    static std::shared_ptr<CAMediaTimingFunction> functionWithControlPoints(double x1, double y1, double x2,
                                                                            double y2);

    // The fraction of the change at the fraction of time t (clamped to 0..1).
    double valueAt(double t) const;

    std::string className() const override { return "CAMediaTimingFunction"; }

private:
    const double x1_, y1_, x2_, y2_;
};
