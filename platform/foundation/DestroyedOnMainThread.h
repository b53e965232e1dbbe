#pragma once

#include "NSRunLoop.h"
#include "NSThread.h"

#include <memory>
#include <utility>

// Makes a shared object whose destructor runs on the main thread, whoever drops the last reference. For
// objects that tear down what the main run loop dispatches on (a bus connection, its match rules and
// exported objects): a job thread that happens to hold the last reference must not destroy them while the
// main thread may be using them. Released off the main thread, the object is destroyed by the main loop's
// next run.
template <class T, class... Arguments>
std::shared_ptr<T> makeSharedDestroyedOnMainThread(Arguments&&... arguments)
{
    return std::shared_ptr<T>(new T(std::forward<Arguments>(arguments)...), [](T* object) {
        if (NSThread::isMainThread()) {
            delete object;
            return;
        }
        NSRunLoop::performOnMainThread([object] { delete object; }, false);
    });
}
