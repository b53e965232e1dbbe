#include "RunLoopFileSource.h"

#include "MutexLocker.h"

RunLoopFileSource::RunLoopFileSource(int fd, Prepare prepare, Callback callback)
    : fd_(fd), prepare_(std::move(prepare)), callback_(std::move(callback))
{
}

void RunLoopFileSource::invalidate()
{
    MutexLocker locker(mutex_);
    valid_ = false;
}

bool RunLoopFileSource::isValid() const
{
    MutexLocker locker(mutex_);
    return valid_;
}

RunLoopFileSource::Interest RunLoopFileSource::interest()
{
    return prepare_ ? prepare_() : Interest{};
}

void RunLoopFileSource::dispatch(short revents)
{
    if (!isValid() || !callback_) {
        return;
    }
    dispatching_ = true;
    callback_(revents);
    dispatching_ = false;
}
