#pragma once

#include "Mutex.h"
#include "RunLoopFileSource.h"

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class NSTimer;

// One run loop per thread; the main thread's loop (the process's initial thread) runs everything the
// platform delivers: performs from other threads, timers and delayed performs, file-descriptor sources
// (the bus connection is one). Work is added from any thread; a loop is run only by its own thread.
//
// A run handles, in this order: the performs that were queued when it began (first in, first out), the
// timers that are due (by fire time), the sources that are ready. A blocked loop wakes when work is added,
// when a SteppedClock is advanced, when stop() or wakeUp() is called, when a source is ready, or, on a clock
// that advances by itself, when the next timer is due.
class NSRunLoop {
public:
    ~NSRunLoop();
    NSRunLoop(const NSRunLoop&) = delete;
    NSRunLoop& operator=(const NSRunLoop&) = delete;

    static NSRunLoop& mainRunLoop();
    // The calling thread's loop, made on first use; it lives as long as the thread.
    static NSRunLoop& currentRunLoop();
    // Runs the block on the main thread: queued without waiting, or, with waitUntilDone, blocking until the
    // main loop has run it. Waiting from the main thread itself runs the block at once.
    static void performOnMainThread(std::function<void()> block, bool waitUntilDone);
    // Wakes every loop so it re-reads the clock (SteppedClock calls this after each step).
    static void wakeAllRunLoops();

    // Queues the block for this loop's next run. Any thread.
    void performBlock(std::function<void()> block);
    // Runs the block once after the delay; invalidate the returned timer to cancel it.
    std::shared_ptr<NSTimer> performAfterDelay(double seconds, std::function<void()> block);
    // Adds a timer to this loop; a timer added to a loop already (or invalidated) is left alone.
    void addTimer(const std::shared_ptr<NSTimer>& timer);
    // Watches the descriptor for fixed poll(2) events.
    std::shared_ptr<RunLoopFileSource> addFileDescriptor(int fd, short events, RunLoopFileSource::Callback callback);
    // Watches the descriptor for what `prepare` asks before each wait.
    std::shared_ptr<RunLoopFileSource> addFileDescriptor(int fd, RunLoopFileSource::Prepare prepare,
                                                         RunLoopFileSource::Callback callback);

    // Handles what is ready now without waiting; answers whether anything ran.
    bool runOnce();
    // Runs, waiting between runs, until the predicate holds (true) or stop() was called (false). The
    // predicate is checked on this loop's thread before and after every run; state that other threads change
    // without queueing work here must call wakeUp() so the loop looks again.
    bool runUntil(const std::function<bool()>& predicate);
    // As runUntil, giving up once `limit` of real time has passed (the Clock's time, stepped or not, plays
    // no part): answers whether the predicate held. A test's wait ends this way, so it fails rather than
    // hangs when what it waits for never comes.
    bool runUntilWithin(const std::function<bool()>& predicate, std::chrono::milliseconds limit);
    // Runs until stop().
    void run();
    // Makes the innermost current runUntil()/run() of this loop return; when none is running, the next one
    // returns at once. Any thread.
    void stop();
    // Interrupts a wait so the loop checks its predicate again. Any thread.
    void wakeUp();

    // Whether the next run would do something at once: a perform is queued or a timer is due. Any thread.
    bool hasWorkDue();

    bool isMain() const;
    // Whether the calling thread is the one this loop belongs to.
    bool isCurrent() const;

private:
    explicit NSRunLoop(pid_t ownerThread);

    bool runOneIteration(bool mayWait);
    int waitTimeoutMilliseconds(const std::vector<RunLoopFileSource::Interest>& interests);
    bool runQueuedPerforms();
    bool fireDueTimers();
    bool dispatchReadySources(const std::vector<std::shared_ptr<RunLoopFileSource>>& polled,
                              const std::vector<RunLoopFileSource::Interest>& interests,
                              const std::vector<short>& revents);
    std::vector<std::shared_ptr<RunLoopFileSource>> sourcesToPoll();
    void scheduleTimer(const std::shared_ptr<NSTimer>& timer, double fireTime);
    bool takeStopRequest();
    void drainWakeDescriptor();

    const pid_t ownerThread_;
    const int wakeFd_;

    Mutex mutex_;
    std::deque<std::function<void()>> performs_ VT_GUARDED_BY(mutex_);
    // Ordered by fire time, then by the order in which they were scheduled.
    std::map<std::pair<double, std::uint64_t>, std::shared_ptr<NSTimer>> timers_ VT_GUARDED_BY(mutex_);
    std::uint64_t nextTimerSequence_ VT_GUARDED_BY(mutex_) = 0;
    std::vector<std::shared_ptr<RunLoopFileSource>> sources_ VT_GUARDED_BY(mutex_);
    bool stopRequested_ VT_GUARDED_BY(mutex_) = false;
};
