// A plug-in in a process of its own posting a burst of records to the log store's messaging centre as fast
// as it can, on the session bus of its environment (DBUS_SESSION_BUS_ADDRESS). The store answers a post once
// its record is written, and writes the records that wait together, so the client keeps many posts in
// flight: kSenders threads each post one record after another, each waiting for its answer; thread t posts
// records t, t + kSenders, t + 2 kSenders, ... Says "sending <kSenders>" before the first post, then, at the
// end, "acknowledged <n>" and one line "refused <index>" for each post that was not acknowledged. Record
// <i> has the body "burst <i>".
#include "CPDistributedMessagingCenter.h"
#include "CrossProcessChannels.h"
#include "DBusSession.h"
#include "Mutex.h"
#include "MutexLocker.h"
#include "NSDate.h"
#include "NSDictionary.h"
#include "NSString.h"
#include "PLWriter.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

// One per sending connection the platform opens.
constexpr std::size_t kSenders = DBusSession::kMaxSendingConnections;

std::shared_ptr<NSDictionary> burstRecord(long index)
{
    return NSDictionary::dictionaryWithEntries({
        {"Application", NSString::stringWithString("Burst")},
        {"Body", NSString::stringWithString("burst " + std::to_string(index))},
        {"Date", NSDate::date()},
        {"Bundle Identifier", NSString::stringWithString("com.example.burst")},
    });
}

} // namespace

int main(int argc, char** argv)
{
    const long count = argc == 2 ? std::strtol(argv[1], nullptr, 10) : 0;
    if (count <= 0) {
        std::fprintf(stderr, "usage: log_burst_client <records>\n");
        return 2;
    }
    CrossProcessChannels::useSessionBus();
    const auto center = CPDistributedMessagingCenter::centerNamed(PLWriter::kMessagingCenterName);
    std::printf("sending %zu\n", kSenders);
    std::fflush(stdout);
    std::atomic<long> acknowledged{0};
    Mutex mutex;
    std::vector<long> refused;
    std::vector<std::thread> senders;
    for (std::size_t sender = 0; sender < kSenders; ++sender) {
        senders.emplace_back([&, first = static_cast<long>(sender)] {
            for (long index = first; index < count; index += static_cast<long>(kSenders)) {
                if (center->sendMessageName(PLWriter::kNewNotificationMessage, burstRecord(index))) {
                    MutexLocker locker(mutex);
                    refused.push_back(index);
                } else {
                    ++acknowledged;
                }
            }
        });
    }
    for (auto& sender : senders) {
        sender.join();
    }
    std::printf("acknowledged %ld\n", acknowledged.load());
    MutexLocker locker(mutex);
    for (const long index : refused) {
        std::printf("refused %ld\n", index);
    }
    std::fflush(stdout);
    return 0;
}
