#pragma once

#include "Mutex.h"
#include "NSRecursiveLock.h"
#include "ThreadSafety.h"

#include <condition_variable>
#include <cstdint>
#include <functional>

// Changes to the log files that nobody waits for when they are handed in, made in the order they were
// handed in, each on a job thread of its own under the store's lock. The panel's close writes the list
// back this way, so the shell's main thread does not wait for a rewrite of a long log. Whatever must see the
// effect of the changes handed in before it (a panel's next load, a deletion of an application's records,
// a clear) calls waitForQueued() first: so the order of effects is the order of the calls, as if every
// change had been made at once. Appends need not wait: the close's own accounting keeps what arrives after
// its list was taken (see VTSorter).
//
// Thread-safe.
class VTLogChangeQueue {
public:
    explicit VTLogChangeQueue(NSRecursiveLock& storeLock) : storeLock_(storeLock) {}

    // Starts `change` on a new job thread; it runs once every change queued before it has run, holding the
    // store's lock.
    void enqueue(std::function<void()> change);
    // Returns once every change queued before the call has run. REQUIRES: the caller does not hold the
    // store's lock (the changes need it).
    void waitForQueued();

private:
    void waitForTurn(std::uint64_t ticket);
    void finished(std::uint64_t ticket);

    NSRecursiveLock& storeLock_;
    Mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t queued_ VT_GUARDED_BY(mutex_) = 0;
    std::uint64_t done_ VT_GUARDED_BY(mutex_) = 0;
};
