#include "JobThreadTracker.h"
#include "NSRecursiveLock.h"
#include "NSRecursiveLockHolder.h"
#include "NSRunLoop.h"
#include "NSThread.h"
#include "TestDeadline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

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
    EXPECT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));
    return took;
}

// Takes the lock once more for the body. The store re-enters its lock this way, from a function of its own
// that takes it again, and that is also the form the thread-safety analysis accepts: it knows no re-entrant
// lock, so a second holder in the same scope reads to it as a lock taken twice.
template <class Body>
void whileHeldAgain(NSRecursiveLock& lock, Body body)
{
    NSRecursiveLockHolder again(lock);
    body();
}

TEST(RecursiveLock, ReentersOnItsThreadExcludesOthersAndIsReleasedOnEveryExit)
{
    NSRecursiveLock lock;
    {
        NSRecursiveLockHolder outer(lock);
        whileHeldAgain(lock, [&] { EXPECT_FALSE(lockableFromAnotherThread(lock)); });
        EXPECT_FALSE(lockableFromAnotherThread(lock)); // still held once
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
                whileHeldAgain(lock, [&] { counter = seen + 1; });
            }
        });
    }
    EXPECT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));
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
        EXPECT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));
        seenByWaiter = finished.load();
        waiterDone = true;
        NSRunLoop::mainRunLoop().wakeUp();
    });
    // The jobs need the main loop to run their performs before they can end.
    EXPECT_TRUE(NSRunLoop::mainRunLoop().runUntilWithin([&] { return waiterDone.load(); }, kTestDeadline));
    waiter.join();
    EXPECT_EQ(seenByWaiter, 3);
    EXPECT_EQ(JobThreadTracker::runningCount(), 0u);

    // A job that does not end makes a wait with a deadline give up instead of hanging.
    std::atomic<bool> release{false};
    NSThread::detachNewThread([&] {
        while (!release) {
            NSRunLoop::performOnMainThread([] {}, true);
        }
    });
    EXPECT_FALSE(JobThreadTracker::waitForAllWithin(std::chrono::milliseconds(20)));
    release = true;
    EXPECT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));
}

TEST(JobThreads, AJobWhoseThreadCannotStartRunsOnTheCallerAndIsTracked)
{
    std::vector<int> refusals;
    NSThread::setThreadStarter([&](std::function<void()> body) {
        body = nullptr; // a starter may consume what it was given before it fails
        refusals.push_back(EAGAIN);
        return EAGAIN;
    });
    std::vector<bool> ranOnMainThread;
    NSThread::detachNewThread([&] { ranOnMainThread.push_back(NSThread::isMainThread()); });
    NSThread::setThreadStarter(nullptr);

    EXPECT_EQ(refusals.size(), 1u);
    EXPECT_EQ(ranOnMainThread, std::vector<bool>{true});
    EXPECT_EQ(JobThreadTracker::runningCount(), 0u);
    EXPECT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));
}

} // namespace
