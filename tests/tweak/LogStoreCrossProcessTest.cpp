#include "CrossProcessLock.h"
#include "DeviceRoot.h"
#include "LogTestSupport.h"
#include "NSRecursiveLockHolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

using namespace logtest;

// Another process that changes the log (vantlectl) takes the log folder's lock, as a CrossProcessLock of
// its own; one of this process stands for it, since flock(2) keeps two open files apart like two processes.
class LogStoreCrossProcess : public LogFixture {
protected:
    CrossProcessLock otherProcess{PLWriter::kLogFolder};
};

// Takes the store's lock once more for the body, from a function of its own, as the store re-enters it and as
// the thread-safety analysis accepts (it knows no re-entrant lock).
template <class Body>
void whileHeldAgain(Body body)
{
    const NSRecursiveLockHolder again(PLWriter::storeLock());
    body();
}

TEST_F(LogStoreCrossProcess, TheStoresOutermostHoldKeepsOtherProcessesOutUntilItEnds)
{
    {
        const NSRecursiveLockHolder outer(PLWriter::storeLock());
        whileHeldAgain([&] { EXPECT_FALSE(otherProcess.tryAcquire()); });
        EXPECT_FALSE(otherProcess.tryAcquire()) << "the inner hold's end released the other processes";
    }
    ASSERT_TRUE(otherProcess.tryAcquire());
    EXPECT_FALSE(PLWriter::storeLock().tryLock()) << "the store went ahead while another process changed the log";
    otherProcess.release();
    if (PLWriter::storeLock().tryLock()) {
        PLWriter::storeLock().unlock();
    } else {
        ADD_FAILURE() << "the other process's release left the store locked out";
    }
}

TEST_F(LogStoreCrossProcess, AFifoAtTheLockedPathIsHeldWithoutWaitingForAWriter)
{
    const std::string path = std::string(PLWriter::kLogFolder) + "fifo";
    ASSERT_EQ(::mkfifo(DeviceRoot::resolve(path).c_str(), 0600), 0);
    CrossProcessLock lock{path};
    EXPECT_TRUE(lock.tryAcquire());
}
