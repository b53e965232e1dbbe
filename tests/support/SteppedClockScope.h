#pragma once

#include "Clock.h"
#include "SteppedClock.h"

#include <memory>

// Installs a fresh SteppedClock for the lifetime of the scope (a test or a fixture) and puts the system
// clock back afterwards. Step time with clock().advance(seconds), then run the main run loop.
class SteppedClockScope {
public:
    explicit SteppedClockScope(double referenceTime = 0.0) : clock_(std::make_shared<SteppedClock>(referenceTime))
    {
        Clock::install(clock_);
    }
    ~SteppedClockScope() { Clock::install(nullptr); }
    SteppedClockScope(const SteppedClockScope&) = delete;
    SteppedClockScope& operator=(const SteppedClockScope&) = delete;

    SteppedClock& clock() { return *clock_; }

private:
    std::shared_ptr<SteppedClock> clock_;
};
