#pragma once

#include "ThreadSafety.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

// A plain (non-recursive) mutex that clang's thread-safety analysis understands, for the platform's own
// internal state. libstdc++'s std::mutex carries no capability annotations, so fields guarded by one could
// not say VT_GUARDED_BY. Condition waits go through wait(), which keeps the analysis aware that the mutex is
// held again when the wait returns.
class VT_CAPABILITY("mutex") Mutex {
public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void lock() VT_ACQUIRE() { mutex_.lock(); }
    void unlock() VT_RELEASE() { mutex_.unlock(); }

    // Waits on the condition until it is notified (spurious wake-ups included); the caller rechecks its
    // predicate in a loop.
    void wait(std::condition_variable& condition) VT_REQUIRES(this)
    {
        std::unique_lock<std::mutex> held(mutex_, std::adopt_lock);
        condition.wait(held);
        held.release();
    }
    // As wait(), giving up at `deadline`: answers false when it passed first.
    bool waitUntil(std::condition_variable& condition, std::chrono::steady_clock::time_point deadline) VT_REQUIRES(this)
    {
        std::unique_lock<std::mutex> held(mutex_, std::adopt_lock);
        const bool notified = condition.wait_until(held, deadline) == std::cv_status::no_timeout;
        held.release();
        return notified;
    }

private:
    std::mutex mutex_;
};
