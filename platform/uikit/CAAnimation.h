#pragma once

#include "CAAnimationDelegate.h"
#include "CAMediaTimingFunction.h"
#include "NSObject.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::string_view kCAFillModeRemoved = "removed";
inline constexpr std::string_view kCAFillModeForwards = "forwards";
inline constexpr std::string_view kCAFillModeBackwards = "backwards";
inline constexpr std::string_view kCAFillModeBoth = "both";

// An animation of a layer, timed on the process clock from the moment it is added (plus its begin time as
// a delay). While it runs it shows its progress; before its start it shows nothing unless its fill mode
// reaches backwards, after its end nothing unless the fill mode reaches forwards and it was not removed.
// Removed on completion by default. Durations of 0 mean the platform's 0.25 seconds; no timing function
// means linear pace. The delegate is held weakly (a layer keeps a finished, unremoved animation, and the
// delegate is usually a view that owns the layer's view).
class CAAnimation : public NSObject {
public:
    static constexpr double kDefaultDuration = 0.25;

    double duration() const { return duration_; }
    void setDuration(double seconds) { duration_ = seconds; }
    double beginTime() const { return beginTime_; }
    void setBeginTime(double delay) { beginTime_ = delay; }
    const std::shared_ptr<CAMediaTimingFunction>& timingFunction() const { return timingFunction_; }
    void setTimingFunction(std::shared_ptr<CAMediaTimingFunction> function) { timingFunction_ = std::move(function); }
    const std::string& fillMode() const { return fillMode_; }
    void setFillMode(std::string_view mode) { fillMode_ = std::string(mode); }
    bool isRemovedOnCompletion() const { return removedOnCompletion_; }
    void setRemovedOnCompletion(bool removed) { removedOnCompletion_ = removed; }
    std::shared_ptr<CAAnimationDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<CAAnimationDelegate> delegate) { delegate_ = std::move(delegate); }

    // Timing once added to a layer (monotonic clock seconds).
    void startAt(double now);
    double startTime() const { return startTime_; }
    double effectiveDuration() const { return duration_ > 0 ? duration_ : kDefaultDuration; }
    double endTime() const { return startTime_ + effectiveDuration(); }
    bool hasEndedAt(double now) const;
    // The paced fraction (0..1) shown at the time, or nothing when the animation shows nothing then.
    std::optional<double> progressAt(double now) const;

    // Bookkeeping of the layer: whether the stop was reported already.
    bool stopReported() const { return stopReported_; }
    void markStopReported() { stopReported_ = true; }

    std::string className() const override { return "CAAnimation"; }

private:
    double duration_ = 0;
    double beginTime_ = 0;
    std::shared_ptr<CAMediaTimingFunction> timingFunction_;
    std::string fillMode_{kCAFillModeRemoved};
    bool removedOnCompletion_ = true;
    std::weak_ptr<CAAnimationDelegate> delegate_;
    double startTime_ = 0;
    bool stopReported_ = false;
};
