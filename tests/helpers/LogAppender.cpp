// Appends records to the log of the device root given as its argument, one after another until it is
// killed, and says "appended <n>" on stdout once the append of record n (its "Body") has returned. The
// crash-safety test kills it at arbitrary moments and checks what the file holds.
#include "CrossProcessChannels.h"
#include "DeviceRoot.h"
#include "JobThreadTracker.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSString.h"
#include "NSThread.h"
#include "PLWriter.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantle_log_appender <device root>\n");
        return 2;
    }
    DeviceRoot::setRoot(argv[1]);
    CrossProcessChannels::useLoopback();
    for (long index = 0;; ++index) {
        const auto record = NSDictionary::dictionaryWithEntries({
            {"Application", NSString::stringWithString("Appender")},
            {"Body", NSString::stringWithString(std::to_string(index))},
            {"Date", NSDate::date()},
        });
        // As the shell does it: each record is written on a job thread of its own.
        NSThread::detachNewThread([record] { PLWriter::write(record); });
        JobThreadTracker::waitForAll();
        std::printf("appended %ld\n", index);
        std::fflush(stdout);
    }
}
