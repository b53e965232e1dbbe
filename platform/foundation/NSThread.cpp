#include "NSThread.h"

#include "JobThreadTracker.h"

#include <unistd.h>

#include <cstdio>
#include <system_error>
#include <thread>

namespace {

// Reports the end of a job thread from the last thread-local destructor of that thread, so that
// "all jobs finished" also means their threads' own run loops and other thread state are gone.
struct ThreadEndHook {
    void (*onEnd)() = nullptr;
    ~ThreadEndHook()
    {
        if (onEnd) {
            onEnd();
        }
    }
};

} // namespace

void NSThread::detachNewThread(std::function<void()> job)
{
    JobThreadTracker::jobStarted();
    try {
        std::thread([job = std::move(job)] {
            thread_local ThreadEndHook hook;
            hook.onEnd = &JobThreadTracker::jobFinished;
            job();
        }).detach();
    } catch (const std::system_error& error) {
        // No thread to be had: doing the job here late is better than losing it.
        std::fprintf(stderr, "NSThread: cannot start a thread (%s); running the job on the caller\n", error.what());
        job();
        JobThreadTracker::jobFinished();
    }
}

bool NSThread::isMainThread()
{
    return gettid() == getpid();
}
