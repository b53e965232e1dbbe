#pragma once

#include <functional>

// Threads as the platform offers them: a job runs on a new detached thread of its own
// (detachNewThreadSelector:toTarget:withObject:) and hands its results back by performing on the main
// thread. Every detached job is tracked by JobThreadTracker, so a test or a host can wait for all of them.
class NSThread {
public:
    NSThread() = delete;

    // Runs the job on a new thread. When no thread can be started (the process is out of threads or
    // memory) the job runs on the caller before this returns, with a line on stderr: late is better than
    // lost, and the tracker still sees it end.
    static void detachNewThread(std::function<void()> job);
    // Whether the caller runs on the process's initial thread, the one that runs the main run loop.
    static bool isMainThread();

    // Starts a detached thread that runs `body`; answers 0, or the errno saying why no thread was started
    // (`body` may then have been consumed). Tests replace it to make starting fail; null restores the real
    // one. Any thread.
    using ThreadStarter = std::function<int(std::function<void()> body)>;
    static void setThreadStarter(ThreadStarter starter);
};
