#include "FuzzJobThreads.h"

#include "MutexLocker.h"
#include "NSThread.h"

#include <pthread.h>

#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

namespace {

void setDefaultThreadStackSize(std::size_t bytes)
{
    pthread_attr_t attributes;
    int error = pthread_attr_init(&attributes);
    if (error == 0) {
        error = pthread_attr_setstacksize(&attributes, bytes);
        if (error == 0) {
            error = pthread_setattr_default_np(&attributes);
        }
        pthread_attr_destroy(&attributes);
    }
    if (error != 0) {
        std::fprintf(stderr, "FuzzJobThreads: keeping the default thread stack size (%s)\n", std::strerror(error));
    }
}

} // namespace

FuzzJobThreads::FuzzJobThreads(std::optional<std::size_t> stackBytes)
{
    if (stackBytes) {
        setDefaultThreadStackSize(*stackBytes);
    }
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
