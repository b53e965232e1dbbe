#include "NSRunLoop.h"

#include "Clock.h"
#include "MutexLocker.h"
#include "NSThread.h"
#include "NSTimer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace {

// Stepped times are sums of the test's steps; a fire time computed as start + 0.175 and a clock stepped by
// 0.1 then 0.075 may differ in the last bit. A timer counts as due within this margin.
constexpr double kDueTolerance = 1e-9;

struct LoopRegistry {
    Mutex mutex;
    std::set<NSRunLoop*> loops VT_GUARDED_BY(mutex);
};

// Never destroyed: job threads may still end (and deregister their loops) while the process exits.
LoopRegistry& registry()
{
    static auto* instance = new LoopRegistry;
    return *instance;
}

int makeWakeDescriptor()
{
    const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0) {
        std::fprintf(stderr, "NSRunLoop: eventfd: %s\n", std::strerror(errno));
        std::abort();
    }
    return fd;
}

int millisecondsUntil(double seconds)
{
    if (seconds <= 0.0) {
        return 0;
    }
    const double milliseconds = std::ceil(seconds * 1000.0);
    return milliseconds >= INT_MAX ? INT_MAX : static_cast<int>(milliseconds);
}

int earliest(int a, int b)
{
    if (a < 0) {
        return b;
    }
    if (b < 0) {
        return a;
    }
    return std::min(a, b);
}

thread_local std::unique_ptr<NSRunLoop> threadLoop;

} // namespace

NSRunLoop::NSRunLoop(pid_t ownerThread) : ownerThread_(ownerThread), wakeFd_(makeWakeDescriptor())
{
    MutexLocker locker(registry().mutex);
    registry().loops.insert(this);
}

NSRunLoop::~NSRunLoop()
{
    {
        MutexLocker locker(registry().mutex);
        registry().loops.erase(this);
    }
    close(wakeFd_);
}

NSRunLoop& NSRunLoop::mainRunLoop()
{
    // The process's initial thread is the one whose thread id is the process id. Never destroyed, so other
    // threads may perform on it until the very end.
    static NSRunLoop* main = new NSRunLoop(getpid());
    return *main;
}

NSRunLoop& NSRunLoop::currentRunLoop()
{
    if (NSThread::isMainThread()) {
        return mainRunLoop();
    }
    if (!threadLoop) {
        threadLoop.reset(new NSRunLoop(gettid()));
    }
    return *threadLoop;
}

void NSRunLoop::performOnMainThread(std::function<void()> block, bool waitUntilDone)
{
    if (!waitUntilDone) {
        mainRunLoop().performBlock(std::move(block));
        return;
    }
    if (NSThread::isMainThread()) {
        block();
        return;
    }
    struct Completion {
        Mutex mutex;
        std::condition_variable condition;
        bool done VT_GUARDED_BY(mutex) = false;
    };
    auto completion = std::make_shared<Completion>();
    mainRunLoop().performBlock([block = std::move(block), completion] {
        block();
        MutexLocker locker(completion->mutex);
        completion->done = true;
        completion->condition.notify_all();
    });
    MutexLocker locker(completion->mutex);
    while (!completion->done) {
        completion->mutex.wait(completion->condition);
    }
}

void NSRunLoop::wakeAllRunLoops()
{
    MutexLocker locker(registry().mutex);
    for (NSRunLoop* loop : registry().loops) {
        loop->wakeUp();
    }
}

void NSRunLoop::performBlock(std::function<void()> block)
{
    {
        MutexLocker locker(mutex_);
        performs_.push_back(std::move(block));
    }
    wakeUp();
}

std::shared_ptr<NSTimer> NSRunLoop::performAfterDelay(double seconds, std::function<void()> block)
{
    auto timer = NSTimer::timerWithTimeInterval(seconds, false, [block = std::move(block)](NSTimer&) { block(); });
    addTimer(timer);
    return timer;
}

void NSRunLoop::addTimer(const std::shared_ptr<NSTimer>& timer)
{
    if (!timer || !timer->claimForRunLoop()) {
        return;
    }
    scheduleTimer(timer, timer->fireTime());
    wakeUp();
}

void NSRunLoop::scheduleTimer(const std::shared_ptr<NSTimer>& timer, double fireTime)
{
    MutexLocker locker(mutex_);
    timers_.emplace(std::make_pair(fireTime, nextTimerSequence_++), timer);
}

std::shared_ptr<RunLoopFileSource> NSRunLoop::addFileDescriptor(int fd, short events,
                                                                 RunLoopFileSource::Callback callback)
{
    return addFileDescriptor(
        fd, [events] { return RunLoopFileSource::Interest{events, std::nullopt}; }, std::move(callback));
}

std::shared_ptr<RunLoopFileSource> NSRunLoop::addFileDescriptor(int fd, RunLoopFileSource::Prepare prepare,
                                                                 RunLoopFileSource::Callback callback)
{
    auto source = std::make_shared<RunLoopFileSource>(fd, std::move(prepare), std::move(callback));
    {
        MutexLocker locker(mutex_);
        sources_.push_back(source);
    }
    wakeUp();
    return source;
}

bool NSRunLoop::runOnce()
{
    if (!isCurrent()) {
        std::fprintf(stderr, "NSRunLoop: a run loop runs only on its own thread\n");
        return false;
    }
    return runOneIteration(false);
}

bool NSRunLoop::runUntil(const std::function<bool()>& predicate)
{
    if (!isCurrent()) {
        std::fprintf(stderr, "NSRunLoop: a run loop runs only on its own thread\n");
        return false;
    }
    for (;;) {
        if (predicate()) {
            return true;
        }
        if (takeStopRequest()) {
            return false;
        }
        runOneIteration(true);
    }
}

bool NSRunLoop::runUntilWithin(const std::function<bool()>& predicate, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    bool expired = false;
    // A source without a descriptor (poll(2) skips negative ones) whose deadline ends the wait.
    const auto timer = addFileDescriptor(
        -1, [deadline] { return RunLoopFileSource::Interest{0, deadline}; }, [&expired](short) { expired = true; });
    runUntil([&] { return expired || predicate(); });
    timer->invalidate();
    return predicate();
}

void NSRunLoop::run()
{
    runUntil([] { return false; });
}

void NSRunLoop::stop()
{
    {
        MutexLocker locker(mutex_);
        stopRequested_ = true;
    }
    wakeUp();
}

void NSRunLoop::wakeUp()
{
    const std::uint64_t one = 1;
    // A full counter already means "wake up"; nothing else can go wrong with an eventfd write.
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
}

bool NSRunLoop::isMain() const
{
    return this == &mainRunLoop();
}

bool NSRunLoop::isCurrent() const
{
    return gettid() == ownerThread_;
}

bool NSRunLoop::takeStopRequest()
{
    MutexLocker locker(mutex_);
    const bool requested = stopRequested_;
    stopRequested_ = false;
    return requested;
}

std::vector<std::shared_ptr<RunLoopFileSource>> NSRunLoop::sourcesToPoll()
{
    std::vector<std::shared_ptr<RunLoopFileSource>> polled;
    MutexLocker locker(mutex_);
    std::erase_if(sources_, [](const auto& source) { return !source->isValid(); });
    for (const auto& source : sources_) {
        if (!source->dispatching_) {
            polled.push_back(source);
        }
    }
    return polled;
}

bool NSRunLoop::runOneIteration(bool mayWait)
{
    const auto polled = sourcesToPoll();
    std::vector<RunLoopFileSource::Interest> interests;
    std::vector<pollfd> descriptors{{wakeFd_, POLLIN, 0}};
    for (const auto& source : polled) {
        interests.push_back(source->interest());
        descriptors.push_back({source->fileDescriptor(), interests.back().events, 0});
    }

    const int timeout = mayWait ? waitTimeoutMilliseconds(interests) : 0;
    if (poll(descriptors.data(), descriptors.size(), timeout) < 0) {
        for (auto& descriptor : descriptors) {
            descriptor.revents = 0; // interrupted by a signal: handle timers and performs, poll again next time
        }
    }
    if (descriptors[0].revents & POLLIN) {
        drainWakeDescriptor();
    }

    std::vector<short> revents;
    for (std::size_t i = 1; i < descriptors.size(); ++i) {
        revents.push_back(descriptors[i].revents);
    }
    bool ran = runQueuedPerforms();
    ran = fireDueTimers() || ran;
    ran = dispatchReadySources(polled, interests, revents) || ran;
    return ran;
}

int NSRunLoop::waitTimeoutMilliseconds(const std::vector<RunLoopFileSource::Interest>& interests)
{
    int timeout = -1;
    {
        MutexLocker locker(mutex_);
        if (!performs_.empty() || stopRequested_) {
            return 0;
        }
        while (!timers_.empty() && !timers_.begin()->second->isValid()) {
            timers_.erase(timers_.begin());
        }
        if (!timers_.empty()) {
            const auto clock = Clock::current();
            const double untilDue = timers_.begin()->first.first - clock->monotonicTime();
            if (untilDue <= kDueTolerance) {
                return 0;
            }
            if (clock->advancesByItself()) {
                timeout = millisecondsUntil(untilDue);
            }
        }
    }
    const auto now = std::chrono::steady_clock::now();
    for (const auto& interest : interests) {
        if (interest.deadline) {
            const double seconds = std::chrono::duration<double>(*interest.deadline - now).count();
            timeout = earliest(timeout, millisecondsUntil(seconds));
        }
    }
    return timeout;
}

bool NSRunLoop::runQueuedPerforms()
{
    std::size_t queued;
    {
        MutexLocker locker(mutex_);
        queued = performs_.size();
    }
    // Only what was queued when the run began: a perform that queues another does not keep this run going.
    bool ran = false;
    for (std::size_t i = 0; i < queued; ++i) {
        std::function<void()> block;
        {
            MutexLocker locker(mutex_);
            if (performs_.empty()) {
                break; // a nested run took them
            }
            block = std::move(performs_.front());
            performs_.pop_front();
        }
        block();
        ran = true;
    }
    return ran;
}

bool NSRunLoop::hasWorkDue()
{
    const double now = Clock::current()->monotonicTime();
    MutexLocker locker(mutex_);
    if (!performs_.empty()) {
        return true;
    }
    for (const auto& [due, timer] : timers_) {
        if (due.first - now > kDueTolerance) {
            break;
        }
        if (timer->isValid()) {
            return true;
        }
    }
    return false;
}

bool NSRunLoop::fireDueTimers()
{
    const auto clock = Clock::current();
    const double now = clock->monotonicTime();
    std::uint64_t sequenceLimit;
    {
        MutexLocker locker(mutex_);
        sequenceLimit = nextTimerSequence_;
    }
    bool ran = false;
    for (;;) {
        std::shared_ptr<NSTimer> timer;
        {
            MutexLocker locker(mutex_);
            // Timers scheduled during this run (a repeat, a zero delay) wait for the next run.
            auto due = std::find_if(timers_.begin(), timers_.end(), [&](const auto& entry) {
                return entry.first.first > now + kDueTolerance || entry.first.second < sequenceLimit;
            });
            if (due == timers_.end() || due->first.first > now + kDueTolerance) {
                break;
            }
            timer = due->second;
            timers_.erase(due);
        }
        if (!timer->isValid()) {
            continue;
        }
        timer->runBlock();
        ran = true;
        if (timer->repeats() && timer->isValid()) {
            scheduleTimer(timer, timer->advanceFireTime(now));
        } else {
            timer->invalidate();
        }
    }
    return ran;
}

bool NSRunLoop::dispatchReadySources(const std::vector<std::shared_ptr<RunLoopFileSource>>& polled,
                                     const std::vector<RunLoopFileSource::Interest>& interests,
                                     const std::vector<short>& revents)
{
    const auto now = std::chrono::steady_clock::now();
    bool ran = false;
    for (std::size_t i = 0; i < polled.size(); ++i) {
        const bool deadlinePassed = interests[i].deadline && *interests[i].deadline <= now;
        if (revents[i] == 0 && !deadlinePassed) {
            continue;
        }
        if (polled[i]->dispatching_) {
            continue; // being dispatched further up this thread's stack
        }
        polled[i]->dispatch(revents[i]);
        ran = true;
    }
    return ran;
}

void NSRunLoop::drainWakeDescriptor()
{
    std::uint64_t count;
    [[maybe_unused]] const ssize_t read_ = read(wakeFd_, &count, sizeof count);
}
