#include "NSThread.h"

#include "JobThreadTracker.h"
#include "Mutex.h"
#include "MutexLocker.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
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

int startRealThread(std::function<void()> body)
{
    try {
        std::thread(std::move(body)).detach();
        return 0;
    } catch (const std::system_error& error) {
        return error.code().value();
    }
}

struct Starter {
    Mutex mutex;
    NSThread::ThreadStarter start VT_GUARDED_BY(mutex) = startRealThread;
};

// Never destroyed: job threads may start others while the process exits.
Starter& starter()
{
    static auto* instance = new Starter;
    return *instance;
}

NSThread::ThreadStarter currentStarter()
{
    MutexLocker locker(starter().mutex);
    return starter().start;
}

} // namespace

void NSThread::setThreadStarter(ThreadStarter start)
{
    MutexLocker locker(starter().mutex);
    starter().start = start ? std::move(start) : startRealThread;
}

void NSThread::detachNewThread(std::function<void()> job)
{
    // Shared, so the job is still here to run when the starter consumed its body and failed.
    const auto shared = std::make_shared<std::function<void()>>(std::move(job));
    JobThreadTracker::jobStarted();
    const int error = currentStarter()([shared] {
        thread_local ThreadEndHook hook;
        hook.onEnd = &JobThreadTracker::jobFinished;
        (*shared)();
    });
    if (error == 0) {
        return;
    }
    std::fprintf(stderr, "NSThread: cannot start a thread (%s); running the job on the caller\n", std::strerror(error));
    (*shared)();
    JobThreadTracker::jobFinished();
}

bool NSThread::isMainThread()
{
    return gettid() == getpid();
}
