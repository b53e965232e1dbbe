#include "VTAppendQueue.h"

#include "MutexLocker.h"

#include <utility>

bool VTAppendQueue::add(Entry entry)
{
    MutexLocker locker(mutex_);
    waiting_.push_back(std::move(entry));
    return !std::exchange(writerActive_, true);
}

std::vector<VTAppendQueue::Entry> VTAppendQueue::take()
{
    MutexLocker locker(mutex_);
    if (waiting_.empty()) {
        writerActive_ = false;
    }
    return std::exchange(waiting_, {});
}
