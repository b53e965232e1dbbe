#include "NSRecursiveLock.h"

void NSRecursiveLock::lock()
{
    mutex_.lock();
}

void NSRecursiveLock::unlock()
{
    mutex_.unlock();
}

bool NSRecursiveLock::tryLock()
{
    return mutex_.try_lock();
}
