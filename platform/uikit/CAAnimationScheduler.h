#pragma once

#include <memory>
#include <set>

class CALayer;
class NSTimer;

// Ends animations on time: keeps one timer on the main run loop set to the earliest end among the
// layers' running animations, and when it fires, ends every animation that is due and tells the delegates.
// What the animations show in between needs no timer: the renderer reads their progress from the clock
// at every picture. Main thread only.
class CAAnimationScheduler {
public:
    static CAAnimationScheduler& shared();

    void layerDidChange(CALayer* layer);
    void forgetLayer(CALayer* layer);
    // Ends what is due now and schedules the next end; the timer calls it, tests and hosts may too.
    void processDueAnimations();
    bool hasRunningAnimations() const { return !layers_.empty(); }

private:
    CAAnimationScheduler() = default;
    void reschedule();

    std::set<CALayer*> layers_;
    std::shared_ptr<NSTimer> timer_;
    double timerFireTime_ = 0;
};
