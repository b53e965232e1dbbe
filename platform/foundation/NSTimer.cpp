#include "NSTimer.h"

#include "Clock.h"
#include "MutexLocker.h"
#include "NSRunLoop.h"

#include <cmath>

namespace {
// A repeating timer with no interval would fire on every pass of its loop; like the platform, use 0.1 ms.
constexpr double kShortestRepeatInterval = 0.0001;
} // namespace

struct NSTimer::Private {};

NSTimer::NSTimer(Private, double interval, bool repeats, Block block, double fireTime)
    : interval_(interval), repeats_(repeats), block_(std::move(block)), fireTime_(fireTime)
{
}

std::shared_ptr<NSTimer> NSTimer::timerWithTimeInterval(double interval, bool repeats, Block block)
{
    if (!(interval > 0.0)) {
        interval = repeats ? kShortestRepeatInterval : 0.0;
    }
    const double fireTime = Clock::current()->monotonicTime() + interval;
    return std::make_shared<NSTimer>(Private{}, interval, repeats, std::move(block), fireTime);
}

std::shared_ptr<NSTimer> NSTimer::scheduledTimerWithTimeInterval(double interval, bool repeats, Block block)
{
    auto timer = timerWithTimeInterval(interval, repeats, std::move(block));
    NSRunLoop::currentRunLoop().addTimer(timer);
    return timer;
}

void NSTimer::invalidate()
{
    Block released;
    {
        MutexLocker locker(mutex_);
        valid_ = false;
        released.swap(block_);
    }
    // `released` dies here, outside the lock, in case its captures do more work when destroyed.
}

bool NSTimer::isValid() const
{
    MutexLocker locker(mutex_);
    return valid_;
}

double NSTimer::fireTime() const
{
    MutexLocker locker(mutex_);
    return fireTime_;
}

bool NSTimer::claimForRunLoop()
{
    MutexLocker locker(mutex_);
    if (!valid_ || scheduled_) {
        return false;
    }
    scheduled_ = true;
    return true;
}

void NSTimer::runBlock()
{
    Block block;
    {
        MutexLocker locker(mutex_);
        if (!valid_) {
            return;
        }
        block = block_;
    }
    if (block) {
        block(*this);
    }
}

double NSTimer::advanceFireTime(double now)
{
    MutexLocker locker(mutex_);
    const double missed = std::floor((now - fireTime_) / interval_);
    double next = fireTime_ + (missed + 1.0) * interval_;
    while (next <= now) {
        next += interval_;
    }
    fireTime_ = next;
    return next;
}
