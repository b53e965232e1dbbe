#include "JobThreadTracker.h"
#include "NSRecursiveLock.h"
#include "NSRecursiveLockHolder.h"
#include "NSRunLoop.h"
#include "NSThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

bool lockableFromAnotherThread(NSRecursiveLock& lock)
{
    std::atomic<bool> took{false};
    NSThread::detachNewThread([&] {
        if (lock.tryLock()) {
            took = true;
            lock.unlock();
        }
    });
    JobThreadTracker::waitForAll();
    return took;
}

TEST(RecursiveLock, ReentersOnItsThreadExcludesOthersAndIsReleasedOnEveryExit)
{
    NSRecursiveLock lock;
    {
        NSRecursiveLockHolder outer(lock);
        NSRecursiveLockHolder inner(lock); // the same thread takes it again
        EXPECT_FALSE(lockableFromAnotherThread(lock));
    }
    EXPECT_TRUE(lockableFromAnotherThread(lock));

    try {
        NSRecursiveLockHolder held(lock);
        throw std::runtime_error("leaving by an exception");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(lockableFromAnotherThread(lock));
}

TEST(RecursiveLock, SerialisesReadModifyWriteAcrossJobThreads)
{
    NSRecursiveLock lock;
    int counter = 0; // guarded by `lock`
    constexpr int kThreads = 6;
    constexpr int kIncrements = 2000;
    for (int t = 0; t < kThreads; ++t) {
        NSThread::detachNewThread([&] {
            for (int i = 0; i < kIncrements; ++i) {
                NSRecursiveLockHolder held(lock);
                const int seen = counter;
                NSRecursiveLockHolder again(lock);
                counter = seen + 1;
            }
        });
    }
    JobThreadTracker::waitForAll();
    EXPECT_EQ(counter, kThreads * kIncrements);
}

TEST(JobThreads, WaitForAllOffTheMainThreadBlocksUntilEveryJobEnded)
{
    std::atomic<int> finished{0};
    for (int i = 0; i < 3; ++i) {
        NSThread::detachNewThread([&] {
            // Each job hands a result to the main thread and waits for it, as the log writer does.
            NSRunLoop::performOnMainThread([] {}, true);
            ++finished;
        });
    }
    std::atomic<int> seenByWaiter{-1};
    std::atomic<bool> waiterDone{false};
    std::thread waiter([&] {
        JobThreadTracker::waitForAll();
        seenByWaiter = finished.load();
        waiterDone = true;
        NSRunLoop::mainRunLoop().wakeUp();
    });
    // The jobs need the main loop to run their performs before they can end.
    NSRunLoop::mainRunLoop().runUntil([&] { return waiterDone.load(); });
    waiter.join();
    EXPECT_EQ(seenByWaiter, 3);
    EXPECT_EQ(JobThreadTracker::runningCount(), 0u);
}

} // namespace
