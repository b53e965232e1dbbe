#pragma once

#include <functional>

// Threads as the platform offers them: a job runs on a new detached thread of its own
// (detachNewThreadSelector:toTarget:withObject:) and hands its results back by performing on the main
// thread. Every detached job is tracked by JobThreadTracker, so a test or a host can wait for all of them.
class NSThread {
public:
    NSThread() = delete;

    static void detachNewThread(std::function<void()> job);
    // Whether the caller runs on the process's initial thread, the one that runs the main run loop.
    static bool isMainThread();
};
