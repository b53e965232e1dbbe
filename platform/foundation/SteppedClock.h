#pragma once

#include "Clock.h"
#include "Mutex.h"

// A clock for tests: time stands still until the test moves it. Install it with Clock::install; then
// advance() moves both the wall time and the monotonic time and wakes every run loop, so timers, delayed
// performs and animation ticks that became due fire on the loop's next run, exactly as if that much time
// had passed.
class SteppedClock final : public Clock {
public:
    // Starts at the given wall time (seconds since 2001-01-01 UTC) with the monotonic time at zero.
    explicit SteppedClock(double referenceTime = 0.0);

    double referenceTime() const override;
    double monotonicTime() const override;
    bool advancesByItself() const override { return false; }

    // Moves time forward by the given seconds (a negative step is ignored: monotonic time never goes back).
    void advance(double seconds);
    // Sets the wall time only, as a user changing the date would; timers keep their schedule.
    void setReferenceTime(double seconds);

private:
    mutable Mutex mutex_;
    double referenceTime_ VT_GUARDED_BY(mutex_);
    double monotonicTime_ VT_GUARDED_BY(mutex_) = 0.0;
};
