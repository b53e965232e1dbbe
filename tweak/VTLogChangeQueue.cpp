#include "VTLogChangeQueue.h"

#include "MutexLocker.h"
#include "NSRecursiveLockHolder.h"
#include "NSThread.h"

#include <utility>

void VTLogChangeQueue::enqueue(std::function<void()> change)
{
    std::uint64_t ticket = 0;
    {
        MutexLocker locker(mutex_);
        ticket = ++queued_;
    }
    NSThread::detachNewThread([this, ticket, change = std::move(change)] {
        waitForTurn(ticket);
        {
            const NSRecursiveLockHolder hold(storeLock_);
            change();
        }
        finished(ticket);
    });
}

void VTLogChangeQueue::waitForQueued()
{
    MutexLocker locker(mutex_);
    const std::uint64_t last = queued_;
    while (done_ < last) {
        mutex_.wait(changed_);
    }
}

void VTLogChangeQueue::waitForTurn(std::uint64_t ticket)
{
    MutexLocker locker(mutex_);
    while (done_ + 1 < ticket) {
        mutex_.wait(changed_);
    }
}

void VTLogChangeQueue::finished(std::uint64_t ticket)
{
    {
        MutexLocker locker(mutex_);
        done_ = ticket;
    }
    changed_.notify_all();
}
