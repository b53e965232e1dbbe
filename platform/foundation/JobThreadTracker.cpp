#include "JobThreadTracker.h"

#include "MutexLocker.h"
#include "NSRunLoop.h"
#include "NSThread.h"

#include <condition_variable>

namespace {

struct JobCount {
    Mutex mutex;
    std::condition_variable allFinished;
    std::size_t running VT_GUARDED_BY(mutex) = 0;
};

// Never destroyed: a detached thread may end while the process exits.
JobCount& jobs()
{
    static auto* count = new JobCount;
    return *count;
}

} // namespace

std::size_t JobThreadTracker::runningCount()
{
    MutexLocker locker(jobs().mutex);
    return jobs().running;
}

void JobThreadTracker::waitForAll()
{
    if (NSThread::isMainThread()) {
        while (!NSRunLoop::mainRunLoop().runUntil([] { return runningCount() == 0; })) {
            // stopped by someone else's stop(): keep waiting for the jobs
        }
        return;
    }
    MutexLocker locker(jobs().mutex);
    while (jobs().running != 0) {
        jobs().mutex.wait(jobs().allFinished);
    }
}

bool JobThreadTracker::waitForAllWithin(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    if (NSThread::isMainThread()) {
        return NSRunLoop::mainRunLoop().runUntilWithin([] { return runningCount() == 0; }, limit);
    }
    MutexLocker locker(jobs().mutex);
    while (jobs().running != 0) {
        if (!jobs().mutex.waitUntil(jobs().allFinished, deadline)) {
            return jobs().running == 0;
        }
    }
    return true;
}

void JobThreadTracker::jobStarted()
{
    MutexLocker locker(jobs().mutex);
    ++jobs().running;
}

void JobThreadTracker::jobFinished()
{
    {
        MutexLocker locker(jobs().mutex);
        --jobs().running;
        jobs().allFinished.notify_all();
    }
    NSRunLoop::mainRunLoop().wakeUp();
}
