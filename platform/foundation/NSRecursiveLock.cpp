#include "NSRecursiveLock.h"

void NSRecursiveLock::lock()
{
    mutex_.lock();
    if (depth_++ == 0 && companion_) {
        companion_->acquire();
    }
}

void NSRecursiveLock::unlock()
{
    if (--depth_ == 0 && companion_) {
        companion_->release();
    }
    mutex_.unlock();
}

bool NSRecursiveLock::tryLock()
{
    if (!mutex_.try_lock()) {
        return false;
    }
    if (depth_ == 0 && companion_ && !companion_->tryAcquire()) {
        mutex_.unlock();
        return false;
    }
    ++depth_;
    return true;
}
