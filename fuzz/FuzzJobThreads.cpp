#include "FuzzJobThreads.h"

#include "MutexLocker.h"
#include "NSThread.h"

#include <system_error>
#include <utility>

FuzzJobThreads::FuzzJobThreads()
{
    NSThread::setThreadStarter([this](std::function<void()> body) { return start(std::move(body)); });
}

FuzzJobThreads::~FuzzJobThreads()
{
    NSThread::setThreadStarter(nullptr);
    joinAll();
}

int FuzzJobThreads::start(std::function<void()> body)
{
    MutexLocker locker(mutex_);
    try {
        threads_.emplace_back(std::move(body));
        return 0;
    } catch (const std::system_error& error) {
        return error.code().value();
    }
}

void FuzzJobThreads::joinAll()
{
    for (;;) {
        std::vector<std::thread> started;
        {
            MutexLocker locker(mutex_);
            started.swap(threads_);
        }
        if (started.empty()) {
            return;
        }
        for (std::thread& thread : started) {
            thread.join();
        }
    }
}
