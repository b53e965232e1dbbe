#include "JobThreadTracker.h"
#include "NSDate.h"
#include "NSRunLoop.h"
#include "NSThread.h"
#include "NSTimer.h"
#include "MinuteTicker.h"
#include "SteppedClockScope.h"
#include "TestDeadline.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

class RunLoopTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        EXPECT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));
        while (loop().runOnce()) {
        }
    }

    static NSRunLoop& loop() { return NSRunLoop::mainRunLoop(); }
    // Runs the main loop until it has nothing ready.
    static void drain()
    {
        while (loop().runOnce()) {
        }
    }

    SteppedClockScope time{1000.0};
};

TEST_F(RunLoopTest, SteppedClockMovesOnlyWhenStepped)
{
    EXPECT_DOUBLE_EQ(NSDate::date()->timeIntervalSinceReferenceDate(), 1000.0);
    EXPECT_DOUBLE_EQ(Clock::current()->monotonicTime(), 0.0);
    EXPECT_FALSE(Clock::current()->advancesByItself());

    time.clock().advance(2.5);
    EXPECT_DOUBLE_EQ(NSDate::date()->timeIntervalSinceReferenceDate(), 1002.5);
    EXPECT_DOUBLE_EQ(Clock::current()->monotonicTime(), 2.5);

    time.clock().advance(-10.0);
    EXPECT_DOUBLE_EQ(Clock::current()->monotonicTime(), 2.5);

    time.clock().setReferenceTime(50.0);
    EXPECT_DOUBLE_EQ(NSDate::date()->timeIntervalSinceReferenceDate(), 50.0);
    EXPECT_DOUBLE_EQ(Clock::current()->monotonicTime(), 2.5);
}

TEST_F(RunLoopTest, OneShotTimersFireWhenSteppedTimePassesTheirFireTimeInOrder)
{
    std::vector<std::string> fired;
    auto late = NSTimer::scheduledTimerWithTimeInterval(0.35, false, [&](NSTimer&) { fired.push_back("late"); });
    auto early = NSTimer::scheduledTimerWithTimeInterval(0.175, false, [&](NSTimer&) { fired.push_back("early"); });
    auto sameTimeAsEarly =
        NSTimer::scheduledTimerWithTimeInterval(0.175, false, [&](NSTimer&) { fired.push_back("second"); });

    drain();
    EXPECT_TRUE(fired.empty());

    time.clock().advance(0.1);
    drain();
    EXPECT_TRUE(fired.empty());

    // 0.1 + 0.075 is not bit-for-bit 0.175; the timer is still due.
    time.clock().advance(0.075);
    EXPECT_TRUE(loop().runOnce());
    EXPECT_EQ(fired, (std::vector<std::string>{"early", "second"}));
    EXPECT_FALSE(early->isValid());

    time.clock().advance(10.0);
    drain();
    EXPECT_EQ(fired, (std::vector<std::string>{"early", "second", "late"}));
    EXPECT_FALSE(loop().runOnce());
}

TEST_F(RunLoopTest, RepeatingTimerKeepsItsPhaseAndStopsWhenInvalidated)
{
    std::vector<double> fireTimes;
    auto timer = NSTimer::scheduledTimerWithTimeInterval(
        0.5, true, [&](NSTimer&) { fireTimes.push_back(Clock::current()->monotonicTime()); });

    time.clock().advance(0.5);
    drain();
    time.clock().advance(0.7); // now 1.2: one fire for the tick at 1.0, next one at 1.5
    drain();
    EXPECT_DOUBLE_EQ(timer->fireTime(), 1.5);
    time.clock().advance(2.0); // now 3.2: ticks at 1.5 .. 3.0 were missed; fire once, next at 3.5
    drain();
    EXPECT_EQ(fireTimes, (std::vector<double>{0.5, 1.2, 3.2}));
    EXPECT_DOUBLE_EQ(timer->fireTime(), 3.5);

    timer->invalidate();
    time.clock().advance(5.0);
    drain();
    EXPECT_EQ(fireTimes.size(), 3u);

    int selfStopping = 0;
    NSTimer::scheduledTimerWithTimeInterval(0.1, true, [&](NSTimer& me) {
        if (++selfStopping == 2) {
            me.invalidate();
        }
    });
    for (int i = 0; i < 5; ++i) {
        time.clock().advance(0.1);
        drain();
    }
    EXPECT_EQ(selfStopping, 2);
}

TEST_F(RunLoopTest, DelayedPerformsFireAfterTheirDelayAndCanBeCancelled)
{
    int ran = 0;
    int cancelledRan = 0;
    loop().performAfterDelay(1.0, [&] { ++ran; });
    auto cancelled = loop().performAfterDelay(1.0, [&] { ++cancelledRan; });
    cancelled->invalidate();

    time.clock().advance(0.999);
    drain();
    EXPECT_EQ(ran, 0);
    time.clock().advance(0.001);
    drain();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(cancelledRan, 0);

    // A timer added twice fires once.
    auto timer = NSTimer::timerWithTimeInterval(0, false, [&](NSTimer&) { ++ran; });
    loop().addTimer(timer);
    loop().addTimer(timer);
    drain();
    EXPECT_EQ(ran, 2);
}

TEST_F(RunLoopTest, PerformsRunInOrderAndOnlyThoseQueuedBeforeTheRun)
{
    std::vector<int> order;
    loop().performBlock([&] {
        order.push_back(1);
        loop().performBlock([&] { order.push_back(3); });
    });
    loop().performBlock([&] { order.push_back(2); });
    EXPECT_TRUE(loop().runOnce());
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_TRUE(loop().runOnce());
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));

    // Waiting from the main thread runs at once; not waiting queues.
    NSRunLoop::performOnMainThread([&] { order.push_back(4); }, true);
    NSRunLoop::performOnMainThread([&] { order.push_back(5); }, false);
    EXPECT_EQ(order.back(), 4);
    drain();
    EXPECT_EQ(order.back(), 5);
}

TEST_F(RunLoopTest, WaitingPerformsFromJobThreadsCompleteWhileTheMainLoopPumps)
{
    constexpr int kJobs = 8;
    std::atomic<int> onMain{0};
    std::atomic<int> afterWait{0};
    int mainCounter = 0; // touched on the main thread only
    for (int i = 0; i < kJobs; ++i) {
        NSThread::detachNewThread([&] {
            EXPECT_FALSE(NSThread::isMainThread());
            int seen = -1;
            NSRunLoop::performOnMainThread(
                [&] {
                    onMain += NSThread::isMainThread() ? 1 : 0;
                    seen = ++mainCounter;
                },
                true);
            // The perform has completed when the wait returns.
            afterWait += seen > 0 ? 1 : 0;
        });
    }
    EXPECT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));
    EXPECT_EQ(JobThreadTracker::runningCount(), 0u);
    EXPECT_EQ(onMain, kJobs);
    EXPECT_EQ(afterWait, kJobs);
    EXPECT_EQ(mainCounter, kJobs);
}

TEST_F(RunLoopTest, RunUntilWakesForPostsClockStepsAndStop)
{
    std::atomic<bool> flag{false};
    NSThread::detachNewThread([&] {
        flag = true;
        NSRunLoop::mainRunLoop().wakeUp();
    });
    EXPECT_TRUE(loop().runUntilWithin([&] { return flag.load(); }, kTestDeadline));

    // A step made on another thread wakes the blocked loop, which then fires the due timer.
    bool fired = false;
    NSTimer::scheduledTimerWithTimeInterval(3.0, false, [&](NSTimer&) { fired = true; });
    NSThread::detachNewThread([clock = &time.clock()] { clock->advance(3.0); });
    EXPECT_TRUE(loop().runUntilWithin([&] { return fired; }, kTestDeadline));

    NSThread::detachNewThread([] { NSRunLoop::mainRunLoop().stop(); });
    loop().run();
    EXPECT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));

    // A stop that arrives before the run is not lost: the run returns at once.
    loop().stop();
    EXPECT_FALSE(loop().runUntil([] { return false; }));
}

TEST_F(RunLoopTest, EveryThreadHasItsOwnLoop)
{
    EXPECT_TRUE(NSThread::isMainThread());
    EXPECT_EQ(&NSRunLoop::currentRunLoop(), &NSRunLoop::mainRunLoop());
    EXPECT_TRUE(loop().isMain());

    std::atomic<bool> jobLoopIsOwn{false};
    std::atomic<bool> jobTimerFired{false};
    std::atomic<bool> mainRunRefused{false};
    NSThread::detachNewThread([&] {
        NSRunLoop& mine = NSRunLoop::currentRunLoop();
        jobLoopIsOwn = &mine != &NSRunLoop::mainRunLoop() && mine.isCurrent() && !mine.isMain();
        mainRunRefused = !NSRunLoop::mainRunLoop().runOnce() && !NSRunLoop::mainRunLoop().isCurrent();
        NSTimer::scheduledTimerWithTimeInterval(0, false, [&](NSTimer&) { jobTimerFired = true; });
        mine.runUntilWithin([&] { return jobTimerFired.load(); }, kTestDeadline);
    });
    EXPECT_TRUE(JobThreadTracker::waitForAllWithin(kTestDeadline));
    EXPECT_TRUE(jobLoopIsOwn);
    EXPECT_TRUE(jobTimerFired);
    EXPECT_TRUE(mainRunRefused);
}

class Pipe {
public:
    Pipe()
    {
        if (pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) {
            ADD_FAILURE() << "pipe2 failed";
        }
    }
    ~Pipe()
    {
        close(fds_[0]);
        close(fds_[1]);
    }
    int readEnd() const { return fds_[0]; }
    int writeEnd() const { return fds_[1]; }
    void write(const std::string& text) const { ASSERT_EQ(::write(fds_[1], text.data(), text.size()), ssize_t(text.size())); }

private:
    int fds_[2] = {-1, -1};
};

TEST_F(RunLoopTest, FileDescriptorSourcesReportReadinessUntilInvalidated)
{
    Pipe pipe;
    std::string received;
    auto reader = loop().addFileDescriptor(pipe.readEnd(), POLLIN, [&](short revents) {
        ASSERT_TRUE(revents & POLLIN);
        char buffer[16];
        const ssize_t n = read(pipe.readEnd(), buffer, sizeof buffer);
        received.append(buffer, n > 0 ? n : 0);
    });
    drain();
    EXPECT_EQ(received, "");

    NSThread::detachNewThread([&] { pipe.write("ping"); });
    EXPECT_TRUE(loop().runUntilWithin([&] { return received == "ping"; }, kTestDeadline));

    int writable = 0;
    auto writer = loop().addFileDescriptor(pipe.writeEnd(), POLLOUT, [&](short revents) {
        writable += (revents & POLLOUT) ? 1 : 0;
    });
    loop().runOnce();
    EXPECT_EQ(writable, 1);
    writer->invalidate();
    reader->invalidate();
    pipe.write("more");
    drain();
    EXPECT_EQ(writable, 1);
    EXPECT_EQ(received, "ping");
}

TEST_F(RunLoopTest, SourceCallbacksAreNotReenteredAndDeadlinesFire)
{
    Pipe pipe;
    pipe.write("x");
    int depth = 0;
    int deepest = 0;
    auto source = loop().addFileDescriptor(pipe.readEnd(), POLLIN, [&](short) {
        ++depth;
        deepest = std::max(deepest, depth);
        loop().runOnce(); // the descriptor is still readable, yet this source is not dispatched again
        --depth;
    });
    loop().runOnce();
    EXPECT_EQ(deepest, 1);
    source->invalidate();

    // A source with a passed deadline is called with no events; one with a future deadline is not.
    std::vector<short> calls;
    auto timed = loop().addFileDescriptor(
        pipe.writeEnd(),
        [&] {
            const auto deadline = calls.empty() ? std::chrono::steady_clock::now() - std::chrono::seconds(1)
                                                : std::chrono::steady_clock::now() + std::chrono::hours(1);
            return RunLoopFileSource::Interest{0, deadline};
        },
        [&](short revents) { calls.push_back(revents); });
    loop().runOnce();
    loop().runOnce();
    EXPECT_EQ(calls, (std::vector<short>{0}));
    timed->invalidate();
}

} // namespace

TEST_F(RunLoopTest, AMinuteTickerTicksOnceEachTimeTheWallClocksMinuteChanges)
{
    // The fixture's clock starts 40 seconds into a minute (1000 = 16 * 60 + 40).
    int ticks = 0;
    const MinuteTicker ticker([&ticks] { ++ticks; });
    struct Step {
        double advance;      // seconds the clock moves on
        double setWallClock; // then the wall clock is set to this, when not 0
        int ticks;           // ticks counted so far
    };
    const std::vector<Step> steps = {
        {19.5, 0, 0}, {0.5, 0, 1}, {59.5, 0, 1}, {0.5, 0, 2}, {3600, 0, 3}, // a long gap ticks once
        {0, 500, 3}, {59, 0, 3}, {1, 0, 4}, // a clock set back is seen when the minute set before ends
        {40, 0, 5},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        time.clock().advance(steps[i].advance);
        if (steps[i].setWallClock != 0) {
            time.clock().setReferenceTime(steps[i].setWallClock);
        }
        drain();
        EXPECT_EQ(ticks, steps[i].ticks) << "after step " << i;
    }
}
