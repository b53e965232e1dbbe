#pragma once

#include "Mutex.h"

#include <chrono>
#include <functional>
#include <optional>

// A file descriptor watched by a run loop: its callback runs on the loop's thread when the descriptor is
// ready for what the source is interested in (poll(2) events: POLLIN readable, POLLOUT writable) or when its
// deadline has passed. The interest is asked for before every wait, so a source whose needs change (a bus
// connection that has output queued, or a timeout of its own) says so each time. Deadlines are in real
// monotonic time, not on the process's Clock: they belong to the I/O peer, which does not see stepped time.
//
// A callback never runs re-entrantly: while it runs, a nested run of the same loop leaves this source alone.
class RunLoopFileSource {
public:
    struct Interest {
        short events = 0;
        std::optional<std::chrono::steady_clock::time_point> deadline;
    };
    using Prepare = std::function<Interest()>;
    // `revents` are the poll(2) results (POLLHUP and POLLERR included); 0 when only the deadline passed.
    using Callback = std::function<void(short revents)>;

    RunLoopFileSource(int fd, Prepare prepare, Callback callback);
    RunLoopFileSource(const RunLoopFileSource&) = delete;
    RunLoopFileSource& operator=(const RunLoopFileSource&) = delete;

    int fileDescriptor() const { return fd_; }
    // Stops watching (any thread). The descriptor is not closed: it belongs to the caller.
    void invalidate();
    bool isValid() const;

private:
    friend class NSRunLoop;

    Interest interest();
    void dispatch(short revents);

    const int fd_;
    const Prepare prepare_;
    const Callback callback_;
    mutable Mutex mutex_;
    bool valid_ VT_GUARDED_BY(mutex_) = true;
    // Touched only by the owning loop's thread.
    bool dispatching_ = false;
};
