#pragma once

#include <cstdint>
#include <functional>
#include <memory>

class NSTimer;

// Tells a clock on the screen when the minute it shows has passed: runs its block on the main run loop once
// each time the wall clock (Clock::current()) enters a new minute, and at no other time. One timer, set for
// the next whole minute, so a screen that shows a clock wakes once a minute rather than every frame; under
// a SteppedClock it fires when stepped time reaches the minute. Minutes are counted since the reference
// date, and every time zone's offset is a whole number of minutes, so they turn with the local clock's.
//
// Main thread only. The block is not run after the ticker is destroyed.
class MinuteTicker {
public:
    explicit MinuteTicker(std::function<void()> minutePassed);
    ~MinuteTicker();
    MinuteTicker(const MinuteTicker&) = delete;
    MinuteTicker& operator=(const MinuteTicker&) = delete;

    // The minute of the wall clock now, counted since the reference date.
    static std::int64_t currentMinute();

private:
    void scheduleForNextMinute();
    void fired();

    const std::function<void()> minutePassed_;
    std::int64_t minute_;
    std::shared_ptr<NSTimer> timer_;
};
