#include "CrossProcessLock.h"
#include "LogTestSupport.h"
#include "NSRecursiveLockHolder.h"

#include <gtest/gtest.h>

using namespace logtest;

// Another process that changes the log (vantlectl) takes the log folder's lock, as a CrossProcessLock of
// its own; one of this process stands for it, since flock(2) keeps two open files apart like two processes.
class LogStoreCrossProcess : public LogFixture {
protected:
    CrossProcessLock otherProcess{PLWriter::kLogFolder};
};

TEST_F(LogStoreCrossProcess, TheStoresOutermostHoldKeepsOtherProcessesOutUntilItEnds)
{
    {
        const NSRecursiveLockHolder outer(PLWriter::storeLock());
        {
            const NSRecursiveLockHolder inner(PLWriter::storeLock());
            EXPECT_FALSE(otherProcess.tryAcquire());
        }
        EXPECT_FALSE(otherProcess.tryAcquire()) << "the inner hold's end released the other processes";
    }
    ASSERT_TRUE(otherProcess.tryAcquire());
    EXPECT_FALSE(PLWriter::storeLock().tryLock()) << "the store went ahead while another process changed the log";
    otherProcess.release();
    ASSERT_TRUE(PLWriter::storeLock().tryLock());
    PLWriter::storeLock().unlock();
}
