#include "CAAnimation.h"

namespace {
// Stepped times add up with rounding; an end reached within this margin counts as reached.
constexpr double kTimeEpsilon = 1e-9;
} // namespace

void CAAnimation::startAt(double now)
{
    startTime_ = now + beginTime_;
    stopReported_ = false;
}

bool CAAnimation::hasEndedAt(double now) const { return now >= endTime() - kTimeEpsilon; }

std::optional<double> CAAnimation::progressAt(double now) const
{
    const bool fillsBackwards = fillMode_ == kCAFillModeBackwards || fillMode_ == kCAFillModeBoth;
    const bool fillsForwards = fillMode_ == kCAFillModeForwards || fillMode_ == kCAFillModeBoth;
    double t = (now - startTime_) / effectiveDuration();
    if (now < startTime_) {
        if (!fillsBackwards) {
            return std::nullopt;
        }
        t = 0;
    } else if (hasEndedAt(now)) {
        if (!fillsForwards) {
            return std::nullopt;
        }
        t = 1;
    }
    return timingFunction_ ? timingFunction_->valueAt(t) : t;
}
