#include "CrossProcessLock.h"

#include "DeviceRoot.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

CrossProcessLock::~CrossProcessLock()
{
    release();
}

void CrossProcessLock::acquire()
{
    (void)take(LOCK_EX); // a path that cannot be opened guards nothing (see the header)
}

bool CrossProcessLock::tryAcquire()
{
    if (take(LOCK_EX | LOCK_NB)) {
        return true;
    }
    // Someone else holds it, or there is nothing to hold.
    return errno != EWOULDBLOCK;
}

void CrossProcessLock::release()
{
    if (descriptor_ >= 0) {
        ::close(descriptor_); // closing the last descriptor of the open file releases the flock
        descriptor_ = -1;
    }
}

bool CrossProcessLock::take(int operation)
{
    release();
    // O_NONBLOCK: a FIFO put at the path would otherwise hold the open until some process writes to it.
    const int descriptor = ::open(DeviceRoot::resolve(devicePath_).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return false;
    }
    int result;
    while ((result = ::flock(descriptor, operation)) < 0 && errno == EINTR) {
    }
    if (result < 0) {
        const int error = errno;
        ::close(descriptor);
        errno = error;
        return false;
    }
    descriptor_ = descriptor;
    return true;
}
