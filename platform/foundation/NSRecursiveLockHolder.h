#pragma once

#include "NSRecursiveLock.h"

// Holds an NSRecursiveLock for the scope it lives in, so the lock is released on every way out.
class VT_SCOPED_CAPABILITY NSRecursiveLockHolder {
public:
    explicit NSRecursiveLockHolder(NSRecursiveLock& lock) VT_ACQUIRE(lock) : lock_(lock) { lock_.lock(); }
    ~NSRecursiveLockHolder() VT_RELEASE() { lock_.unlock(); }
    NSRecursiveLockHolder(const NSRecursiveLockHolder&) = delete;
    NSRecursiveLockHolder& operator=(const NSRecursiveLockHolder&) = delete;

private:
    NSRecursiveLock& lock_;
};
