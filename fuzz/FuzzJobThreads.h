#pragma once

#include "Mutex.h"
#include "ThreadSafety.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

// Starts the process's job threads (NSThread::detachNewThread) as real threads that a fuzz target joins at
// the end of each input. A detached thread still tears itself down (glibc frees its thread-local destructor
// records, the sanitizers their per-thread state) after it has reported its job finished; without the join
// that teardown could still be under way when libFuzzer checks the input for leaks, and the records it was
// about to free would be reported as leaked.
class FuzzJobThreads {
public:
    // Installs itself as the thread starter; the destructor puts the real one back. With `stackBytes`, every
    // thread started from now on gets a stack of that size instead of glibc's 8 MiB: small enough stacks all
    // stay in glibc's 40 MiB cache of freed stacks, and the next input's threads reuse them instead of
    // mapping, guarding and unmapping fresh memory, which costs a target with many short threads a fifth of
    // its time. Only for targets whose inputs cannot nest values deeply.
    explicit FuzzJobThreads(std::optional<std::size_t> stackBytes = std::nullopt);
    ~FuzzJobThreads();
    FuzzJobThreads(const FuzzJobThreads&) = delete;
    FuzzJobThreads& operator=(const FuzzJobThreads&) = delete;

    // Joins every thread started so far, and those they started meanwhile. Call it once the jobs have
    // finished (JobThreadTracker::waitForAll), as a job may wait for the main thread.
    void joinAll();

private:
    int start(std::function<void()> body);

    Mutex mutex_;
    std::vector<std::thread> threads_ VT_GUARDED_BY(mutex_);
};
