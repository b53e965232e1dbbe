#include "SteppedClock.h"

#include "MutexLocker.h"
#include "NSRunLoop.h"

SteppedClock::SteppedClock(double referenceTime) : referenceTime_(referenceTime) {}

double SteppedClock::referenceTime() const
{
    MutexLocker locker(mutex_);
    return referenceTime_;
}

double SteppedClock::monotonicTime() const
{
    MutexLocker locker(mutex_);
    return monotonicTime_;
}

void SteppedClock::advance(double seconds)
{
    if (!(seconds > 0.0)) {
        return;
    }
    {
        MutexLocker locker(mutex_);
        referenceTime_ += seconds;
        monotonicTime_ += seconds;
    }
    NSRunLoop::wakeAllRunLoops();
}

void SteppedClock::setReferenceTime(double seconds)
{
    MutexLocker locker(mutex_);
    referenceTime_ = seconds;
}
