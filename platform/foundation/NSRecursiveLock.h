#pragma once

#include "ThreadSafety.h"

#include <mutex>

// A lock that the thread holding it may take again; it is free once every lock() has been matched by an
// unlock(). Hold it with NSRecursiveLockHolder so that it is released on every exit from a scope, early
// returns and exceptions included. Fields it protects say VT_GUARDED_BY(theLock).
//
// A lock may have a companion, a lock that other processes share (see CrossProcessLock): the first lock()
// of a hold takes the companion too, and the unlock() that ends the hold releases it, so the threads of
// this process and the other processes are all kept apart by the one lock.
class VT_CAPABILITY("mutex") NSRecursiveLock {
public:
    class Companion {
    public:
        virtual ~Companion() = default;
        // Waits until the companion is held.
        virtual void acquire() = 0;
        // Takes the companion when no one holds it; answers whether it did.
        virtual bool tryAcquire() = 0;
        virtual void release() = 0;
    };

    // `companion`, when given, must outlive the lock.
    explicit NSRecursiveLock(Companion* companion = nullptr) : companion_(companion) {}
    NSRecursiveLock(const NSRecursiveLock&) = delete;
    NSRecursiveLock& operator=(const NSRecursiveLock&) = delete;

    void lock() VT_ACQUIRE();
    void unlock() VT_RELEASE();
    // Takes the lock (and its companion) when no other thread or process holds it; answers whether it did.
    bool tryLock() VT_TRY_ACQUIRE(true);

private:
    std::recursive_mutex mutex_;
    Companion* const companion_;
    // How many lock()s the holding thread has not yet matched; only the holder touches it.
    unsigned depth_ = 0;
};
