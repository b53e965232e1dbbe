#include "MinuteTicker.h"

#include "Clock.h"
#include "NSTimer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSecondsPerMinute = 60;

} // namespace

MinuteTicker::MinuteTicker(std::function<void()> minutePassed)
    : minutePassed_(std::move(minutePassed)), minute_(currentMinute())
{
    scheduleForNextMinute();
}

MinuteTicker::~MinuteTicker()
{
    timer_->invalidate();
}

std::int64_t MinuteTicker::currentMinute()
{
    return static_cast<std::int64_t>(std::floor(Clock::current()->referenceTime() / kSecondsPerMinute));
}

void MinuteTicker::scheduleForNextMinute()
{
    const double untilNextMinute =
        static_cast<double>(minute_ + 1) * kSecondsPerMinute - Clock::current()->referenceTime();
    // The timer holds `this` only until it is invalidated, which the destructor does.
    timer_ = NSTimer::scheduledTimerWithTimeInterval(std::max(untilNextMinute, 0.0), false,
                                                     [this](NSTimer&) { fired(); });
}

void MinuteTicker::fired()
{
    // The wall clock may have been set since the timer was set (or the two clocks drifted): a fire a moment
    // early waits for the rest of the minute, and one after a clock change reports the change.
    const std::int64_t now = currentMinute();
    const bool passed = now != minute_;
    minute_ = now;
    scheduleForNextMinute();
    if (passed) {
        minutePassed_();
    }
}
