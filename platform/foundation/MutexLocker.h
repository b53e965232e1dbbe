#pragma once

#include "Mutex.h"

// Holds a Mutex for the scope it lives in.
class VT_SCOPED_CAPABILITY MutexLocker {
public:
    explicit MutexLocker(Mutex& mutex) VT_ACQUIRE(mutex) : mutex_(mutex) { mutex_.lock(); }
    ~MutexLocker() VT_RELEASE() { mutex_.unlock(); }
    MutexLocker(const MutexLocker&) = delete;
    MutexLocker& operator=(const MutexLocker&) = delete;

private:
    Mutex& mutex_;
};
