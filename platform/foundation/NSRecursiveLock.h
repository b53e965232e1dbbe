#pragma once

#include "ThreadSafety.h"

#include <mutex>

// A lock that the thread holding it may take again; it is free once every lock() has been matched by an
// unlock(). Hold it with NSRecursiveLockHolder so that it is released on every exit from a scope, early
// returns and exceptions included. Fields it protects say VT_GUARDED_BY(theLock).
class VT_CAPABILITY("mutex") NSRecursiveLock {
public:
    NSRecursiveLock() = default;
    NSRecursiveLock(const NSRecursiveLock&) = delete;
    NSRecursiveLock& operator=(const NSRecursiveLock&) = delete;

    void lock() VT_ACQUIRE();
    void unlock() VT_RELEASE();
    // Takes the lock when no other thread holds it; answers whether it did.
    bool tryLock() VT_TRY_ACQUIRE(true);

private:
    std::recursive_mutex mutex_;
};
