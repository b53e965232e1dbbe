#pragma once

#include <chrono>
#include <cstddef>

// Counts the job threads started with NSThread::detachNewThread that have not ended yet, so that a test or a
// host can wait until every job has finished (for instance before checking files a job writes, or before
// exit).
class JobThreadTracker {
public:
    JobThreadTracker() = delete;

    static std::size_t runningCount();
    // Returns once no job thread is running. On the main thread it runs the main run loop meanwhile, because
    // jobs perform on the main thread and may wait for it; elsewhere it just blocks.
    static void waitForAll();
    // As waitForAll, giving up after `limit` of real time: answers whether every job had finished. Tests
    // use it so that a job that never ends fails the test instead of hanging it.
    [[nodiscard]] static bool waitForAllWithin(std::chrono::milliseconds limit);

private:
    friend class NSThread;
    static void jobStarted();
    static void jobFinished();
};
