#pragma once

#include "Mutex.h"
#include "NSObject.h"

#include <functional>
#include <memory>

// A timer that fires its block on the run loop it was added to, once or repeatedly. Times are measured on
// Clock::current()->monotonicTime(), so under a SteppedClock a timer fires exactly when stepped time reaches
// its fire time. A repeating timer keeps its phase (it fires at start + n * interval); when the loop was
// kept from running for several intervals it fires once and continues with the next interval still ahead,
// rather than firing a burst.
class NSTimer final : public NSObject {
public:
    using Block = std::function<void(NSTimer& timer)>;

    // A timer whose first fire time is now + interval; add it to a run loop with NSRunLoop::addTimer.
    static std::shared_ptr<NSTimer> timerWithTimeInterval(double interval, bool repeats, Block block);
    // The same, already added to the calling thread's run loop.
    static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(double interval, bool repeats, Block block);

    // Stops the timer for good and releases its block. Any thread; a fire that already began completes.
    void invalidate();
    bool isValid() const;
    bool repeats() const { return repeats_; }
    double timeInterval() const { return interval_; }
    // The monotonic time of the next fire.
    double fireTime() const;

    std::string className() const override { return "NSTimer"; }

    struct Private;
    NSTimer(Private, double interval, bool repeats, Block block, double fireTime);

private:
    friend class NSRunLoop;

    // Claims the timer for one run loop; answers false when it was already added to one or is invalid.
    bool claimForRunLoop();
    // Runs the block once (the caller is the run loop's thread).
    void runBlock();
    // After a fire at `due` observed at `now`: the next fire time strictly after now.
    double advanceFireTime(double now);

    const double interval_;
    const bool repeats_;
    mutable Mutex mutex_;
    Block block_ VT_GUARDED_BY(mutex_);
    bool valid_ VT_GUARDED_BY(mutex_) = true;
    bool scheduled_ VT_GUARDED_BY(mutex_) = false;
    double fireTime_ VT_GUARDED_BY(mutex_);
};
