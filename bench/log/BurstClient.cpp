// A plug-in in a process of its own posting a burst of records to the log store's messaging centre as fast
// as it can, one after another, each waiting for the server's acknowledgement, on the session bus of its
// environment (DBUS_SESSION_BUS_ADDRESS). Says "sending" before the first post, then, at the end,
// "acknowledged <n>" and one line "refused <index>" for each post that was not acknowledged. Record <i>
// has the body "burst <i>".
#include "CPDistributedMessagingCenter.h"
#include "CrossProcessChannels.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSString.h"
#include "PLWriter.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const long count = argc == 2 ? std::strtol(argv[1], nullptr, 10) : 0;
    if (count <= 0) {
        std::fprintf(stderr, "usage: log_burst_client <records>\n");
        return 2;
    }
    CrossProcessChannels::useSessionBus();
    const auto center = CPDistributedMessagingCenter::centerNamed(PLWriter::kMessagingCenterName);
    std::printf("sending\n");
    std::fflush(stdout);
    long acknowledged = 0;
    std::vector<long> refused;
    for (long index = 0; index < count; ++index) {
        const auto record = NSDictionary::dictionaryWithEntries({
            {"Application", NSString::stringWithString("Burst")},
            {"Body", NSString::stringWithString("burst " + std::to_string(index))},
            {"Date", NSDate::date()},
            {"Bundle Identifier", NSString::stringWithString("com.example.burst")},
        });
        if (center->sendMessageName(PLWriter::kNewNotificationMessage, record)) {
            refused.push_back(index);
        } else {
            ++acknowledged;
        }
    }
    std::printf("acknowledged %ld\n", acknowledged);
    for (const long index : refused) {
        std::printf("refused %ld\n", index);
    }
    std::fflush(stdout);
    return 0;
}
